#include "JsonPlaces.hpp"

#include <foundation/json/Parser.hpp>
#include <foundation/json/TextLocator.hpp>

#include <algorithm>
#include <cstring>
#include <string>
#include <unordered_map>
#include <unordered_set>

namespace richmarkup::formats {

namespace {

// Walks the text once, going into a value only where some pointer asked for goes through it and
// skipping every other value whole.
class Scan {
public:
    Scan(std::string_view text, std::unordered_set<std::string_view> const& through,
         std::unordered_map<std::string_view, std::size_t>& starts)
        : text_(text), through_(through), starts_(starts) {}

    void document() {
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") {
            at_ = 3;
        }
        std::string path;
        value(path);
    }

private:
    bool atEnd() const { return at_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[at_]; }

    void skipSpace() {
        while (!atEnd() && (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
            ++at_;
        }
    }

    // From an opening quote to just past the closing one.
    void skipString() {
        ++at_;
        while (!atEnd()) {
            char const* quote = static_cast<char const*>(std::memchr(text_.data() + at_, '"', text_.size() - at_));
            if (quote == nullptr) {
                at_ = text_.size();
                return;
            }
            std::size_t const end = std::size_t(quote - text_.data());
            std::size_t backslashes = 0;
            while (end - backslashes > at_ && text_[end - backslashes - 1] == '\\') {
                ++backslashes;
            }
            at_ = end + 1;
            if (backslashes % 2 == 0) {
                return;
            }
        }
    }

    void skipValue() {
        std::size_t depth = 0;
        do {
            skipSpace();
            char const c = peek();
            if (c == '"') {
                skipString();
            } else if (c == '{' || c == '[') {
                ++depth;
                ++at_;
            } else if (c == '}' || c == ']') {
                if (depth == 0) {
                    return;
                }
                --depth;
                ++at_;
            } else if (c == ',' || c == ':') {
                ++at_;
            } else if (atEnd()) {
                return;
            } else {
                while (!atEnd() && std::strchr(",]} \n\r\t", text_[at_]) == nullptr) {
                    ++at_;
                }
            }
        } while (depth > 0 && !atEnd());
    }

    // A member's name with its escapes undone, as a pointer token names it.
    std::string key() {
        std::size_t const begin = at_;
        skipString();
        std::string_view const quoted = text_.substr(begin, at_ - begin);
        if (quoted.find('\\') == std::string_view::npos) {
            return std::string(quoted.substr(1, quoted.size() >= 2 ? quoted.size() - 2 : 0));
        }
        foundation::json::Value const name = foundation::json::parse(quoted);
        return name.isString() ? name.asString() : std::string();
    }

    void value(std::string& path) {
        skipSpace();
        if (auto found = starts_.find(path); found != starts_.end()) {
            found->second = at_; // of a key given twice, the last one: the parser keeps that
        }
        char const open = peek();
        if ((open != '[' && open != '{') || through_.count(path) == 0) {
            skipValue();
            return;
        }
        ++at_;
        std::size_t const length = path.size();
        for (std::size_t index = 0;; ++index) {
            skipSpace();
            if (atEnd() || peek() == ']' || peek() == '}') {
                break;
            }
            if (open == '[') {
                path += '/';
                path += std::to_string(index);
            } else {
                std::string const name = key();
                skipSpace();
                if (peek() != ':') {
                    return;
                }
                ++at_;
                foundation::json::appendPointerToken(path, name);
            }
            value(path);
            path.resize(length);
            skipSpace();
            if (peek() != ',') {
                break;
            }
            ++at_;
        }
        if (!atEnd()) {
            ++at_;
        }
    }

    std::string_view text_;
    std::size_t at_ = 0;
    std::unordered_set<std::string_view> const& through_;
    std::unordered_map<std::string_view, std::size_t>& starts_;
};

constexpr std::size_t notFound = std::size_t(-1);

} // namespace

void locatePointers(std::string_view text, std::vector<SourcePlace*> const& places) {
    std::unordered_set<std::string_view> through;
    std::unordered_map<std::string_view, std::size_t> starts;
    for (SourcePlace const* place : places) {
        std::string_view const pointer = place->pointer;
        if (!pointer.empty() && pointer.front() != '/') {
            continue;
        }
        starts.emplace(pointer, notFound);
        for (std::size_t slash = pointer.find('/'); slash != std::string_view::npos;
             slash = pointer.find('/', slash + 1)) {
            through.insert(pointer.substr(0, slash));
        }
    }
    if (starts.empty()) {
        return;
    }
    Scan(text, through, starts).document();

    // Lines counted once, up to each offset in turn.
    std::vector<std::size_t> offsets;
    for (auto const& [pointer, offset] : starts) {
        if (offset != notFound) {
            offsets.push_back(offset);
        }
    }
    std::sort(offsets.begin(), offsets.end());
    std::unordered_map<std::size_t, std::pair<std::size_t, std::size_t>> lineColumn;
    std::size_t line = 1;
    std::size_t lineStart = 0;
    std::size_t counted = 0;
    for (std::size_t const offset : offsets) {
        while (char const* newline =
                   static_cast<char const*>(std::memchr(text.data() + counted, '\n', offset - counted))) {
            ++line;
            counted = std::size_t(newline - text.data()) + 1;
            lineStart = counted;
        }
        counted = offset;
        lineColumn.emplace(offset, std::make_pair(line, offset - lineStart + 1));
    }
    for (SourcePlace* place : places) {
        auto const found = starts.find(place->pointer);
        if (found != starts.end() && found->second != notFound) {
            auto const& [placeLine, placeColumn] = lineColumn.at(found->second);
            place->line = placeLine;
            place->column = placeColumn;
        }
    }
}

} // namespace richmarkup::formats
