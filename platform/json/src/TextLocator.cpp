#include <foundation/json/TextLocator.hpp>

#include "JsonString.hpp"

#include <string>
#include <vector>

namespace foundation::json {

namespace {

class Cursor {
public:
    Cursor(std::string_view text, std::size_t at) : t_(text), p_(at) {}

    std::size_t at() const noexcept { return p_; }
    bool atEnd() const noexcept { return p_ >= t_.size(); }
    char peek() const noexcept { return atEnd() ? '\0' : t_[p_]; }
    void advance() noexcept { ++p_; }
    void seek(std::size_t at) noexcept { p_ = at; }

    void skipSpace() noexcept {
        while (!atEnd() && (t_[p_] == ' ' || t_[p_] == '\t' || t_[p_] == '\n' || t_[p_] == '\r')) {
            ++p_;
        }
    }

    // A string's content with its escapes undone; the cursor stops after the closing quote.
    bool string(std::string& out) { return detail::readString(t_, p_, out); }

    // Skips one value, any nesting, without recursion.
    bool skipValue() {
        std::size_t depth = 0;
        std::string ignored;
        do {
            skipSpace();
            char const c = peek();
            if (c == '"') {
                if (!string(ignored)) {
                    return false;
                }
            } else if (c == '{' || c == '[') {
                ++depth;
                ++p_;
                continue;
            } else if (c == '}' || c == ']') {
                if (depth == 0) {
                    return false;
                }
                --depth;
                ++p_;
            } else if (c == ',' || c == ':') {
                ++p_;
                continue;
            } else if (atEnd()) {
                return false;
            } else {
                while (!atEnd() && t_[p_] != ',' && t_[p_] != ']' && t_[p_] != '}' && t_[p_] != ' ' && t_[p_] != '\n' &&
                       t_[p_] != '\r' && t_[p_] != '\t') {
                    ++p_;
                }
            }
        } while (depth > 0);
        return true;
    }

private:
    std::string_view t_;
    std::size_t p_;
};

// The next reference token of a pointer, with ~1 and ~0 undone.
std::string nextToken(std::string_view& pointer) {
    pointer.remove_prefix(1); // the '/'
    std::size_t const end = pointer.find('/');
    std::string_view const raw = pointer.substr(0, end);
    pointer.remove_prefix(end == std::string_view::npos ? pointer.size() : end);
    std::string token;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '~' && i + 1 < raw.size() && (raw[i + 1] == '0' || raw[i + 1] == '1')) {
            token.push_back(raw[i + 1] == '0' ? '~' : '/');
            ++i;
        } else {
            token.push_back(raw[i]);
        }
    }
    return token;
}

std::optional<std::size_t> arrayIndex(std::string const& token) {
    if (token.empty() || token.size() > 18 || (token.size() > 1 && token[0] == '0')) {
        return std::nullopt;
    }
    std::size_t index = 0;
    for (char const c : token) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        index = index * 10 + std::size_t(c - '0');
    }
    return index;
}

// From the first element of an array, standing at element `from`, to element `index`.
bool toElement(Cursor& cursor, std::size_t from, std::size_t index) {
    for (std::size_t i = from; i < index; ++i) {
        if (!cursor.skipValue()) {
            return false;
        }
        cursor.skipSpace();
        if (cursor.peek() != ',') {
            return false;
        }
        cursor.advance();
        cursor.skipSpace();
    }
    return !cursor.atEnd() && cursor.peek() != ']';
}

// From the '{' of an object: where the value of each member named `key` starts, in the order
// of the text (nothing where the object is not whole).
std::vector<std::size_t> membersNamed(Cursor& cursor, std::string const& key) {
    cursor.advance();
    std::vector<std::size_t> found;
    std::string name;
    for (;;) {
        cursor.skipSpace();
        if (cursor.peek() == '}') {
            return found;
        }
        if (!cursor.string(name)) {
            return {};
        }
        cursor.skipSpace();
        if (cursor.peek() != ':') {
            return {};
        }
        cursor.advance();
        cursor.skipSpace();
        if (name == key) {
            found.push_back(cursor.at());
        }
        if (!cursor.skipValue()) {
            return {};
        }
        cursor.skipSpace();
        if (cursor.peek() == ',') {
            cursor.advance();
        }
    }
}

// From the '{' of an object to the value of the last member named `key`, which the parser keeps.
bool toMember(Cursor& cursor, std::string const& key) {
    std::vector<std::size_t> const found = membersNamed(cursor, key);
    if (found.empty()) {
        return false;
    }
    cursor.seek(found.back());
    return true;
}

} // namespace

std::optional<TextPosition> TextLocator::locate(std::string_view pointer) {
    auto const offset = find(pointer);
    if (!offset) {
        return std::nullopt;
    }
    return position(*offset);
}

std::vector<TextPosition> TextLocator::locateEach(std::string_view pointer) {
    std::size_t const last = pointer.rfind('/');
    std::optional<std::size_t> const parent =
        last == std::string_view::npos ? std::nullopt : find(pointer.substr(0, last));
    if (!parent || *parent >= text_.size() || text_[*parent] != '{') {
        auto const one = locate(pointer);
        return one ? std::vector<TextPosition>{*one} : std::vector<TextPosition>{};
    }
    std::string_view rest = pointer.substr(last);
    Cursor cursor(text_, *parent);
    std::vector<TextPosition> out;
    for (std::size_t const offset : membersNamed(cursor, nextToken(rest))) {
        out.push_back(position(offset));
    }
    return out;
}

std::optional<std::size_t> TextLocator::find(std::string_view pointer) {
    if (!pointer.empty() && pointer.front() != '/') {
        return std::nullopt;
    }
    Cursor cursor(text_, text_.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    cursor.skipSpace();
    bool topLevel = true;
    while (!pointer.empty()) {
        std::string const token = nextToken(pointer);
        char const open = cursor.peek();
        if (open == '[') {
            auto const index = arrayIndex(token);
            if (!index) {
                return std::nullopt;
            }
            std::size_t from = 0;
            if (topLevel && haveLast_ && lastIndex_ <= *index) {
                // Diagnostics come in document order: go on from the element found last.
                cursor.seek(lastOffset_);
                from = lastIndex_;
            } else {
                cursor.advance();
                cursor.skipSpace();
            }
            if (!toElement(cursor, from, *index)) {
                return std::nullopt;
            }
            if (topLevel) {
                haveLast_ = true;
                lastIndex_ = *index;
                lastOffset_ = cursor.at();
            }
        } else if (open == '{') {
            if (!toMember(cursor, token)) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
        topLevel = false;
    }
    return cursor.at();
}

TextPosition TextLocator::position(std::size_t offset) {
    // Lines are counted once up to the furthest position asked for; earlier ones count afresh.
    if (offset < countedTo_) {
        countedTo_ = 0;
        linesBefore_ = 1;
        lineStart_ = 0;
    }
    for (std::size_t i = countedTo_; i < offset; ++i) {
        if (text_[i] == '\n') {
            ++linesBefore_;
            lineStart_ = i + 1;
        }
    }
    countedTo_ = offset;
    return TextPosition{offset, linesBefore_, offset - lineStart_ + 1};
}

} // namespace foundation::json
