#include <foundation/json/Parser.hpp>

#include "ErrorLocator.hpp"

#include <simdjson.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string_view>

namespace foundation::json {

ParseError::ParseError(std::size_t line, std::size_t column, std::string reason)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " + reason),
      line_(line), column_(column), reason_(std::move(reason)) {}

static_assert(kPadding >= simdjson::SIMDJSON_PADDING, "the padding callers reserve must cover simdjson's");

struct Parser::State {
    simdjson::dom::parser dom;
};

namespace {

class Converter {
public:
    // Depth is bounded by the parser's own limit, so this recursion is bounded too.
    Value convert(simdjson::dom::element e) {
        using T = simdjson::dom::element_type;
        switch (e.type()) {
        case T::ARRAY: {
            simdjson::dom::array a = e.get_array().value_unsafe();
            Array items;
            items.reserve(a.size());
            for (simdjson::dom::element child : a) {
                items.push_back(convert(child));
            }
            return Value(std::move(items));
        }
        case T::OBJECT: {
            simdjson::dom::object o = e.get_object().value_unsafe();
            std::vector<Object::value_type> members;
            members.reserve(o.size());
            for (simdjson::dom::key_value_pair field : o) {
                members.emplace_back(std::string(field.key), convert(field.value));
            }
            return Value(Object(std::move(members)));
        }
        case T::STRING: return string(e.get_string().value_unsafe());
        case T::INT64: return Value(static_cast<double>(e.get_int64().value_unsafe()));
        case T::UINT64: return Value(static_cast<double>(e.get_uint64().value_unsafe()));
        case T::DOUBLE: return Value(e.get_double().value_unsafe());
        case T::BOOL: return Value(e.get_bool().value_unsafe());
        case T::NULL_VALUE: return Value(Null{});
        }
        return Value();
    }

private:
    // Short strings repeat all over a document ("className" values, alignments, list
    // types). Values are immutable, so a recent equal one is shared instead of allocated
    // again; a small direct-mapped table keeps the look-up cheaper than an allocation.
    static constexpr std::size_t kShortString = 32;
    static constexpr std::size_t kSlots = 256;

    Value string(std::string_view text) {
        if (text.size() > kShortString) {
            return Value(text);
        }
        Value& slot = recent_[slotOf(text)];
        if (!slot.isString() || slot.asString() != text) {
            slot = Value(text);
        }
        return slot;
    }

    // A cache index, not a general hash: length and the first and last bytes tell the
    // repeated short strings of a document apart well enough.
    static std::size_t slotOf(std::string_view text) noexcept {
        std::size_t h = text.size();
        if (!text.empty()) {
            h = h * 131 + static_cast<unsigned char>(text.front());
            h = h * 131 + static_cast<unsigned char>(text[text.size() / 2]);
            h = h * 131 + static_cast<unsigned char>(text.back());
        }
        return (h ^ (h >> 7)) % kSlots;
    }

    std::array<Value, kSlots> recent_;
};

[[noreturn]] void throwAt(std::string_view text, std::size_t offset, std::string reason) {
    auto [line, column] = detail::lineAndColumn(text, offset);
    throw ParseError(line, column, std::move(reason));
}

} // namespace

Parser::Parser() : state_(std::make_unique<State>()) {}
Parser::~Parser() = default;

Value Parser::parse(std::string_view text) { return parseText(text, false, nullptr); }

Value Parser::parseAndRelease(std::string&& text) {
    std::string owned = std::move(text);
    bool const padded = owned.capacity() - owned.size() >= kPadding;
    return parseText(owned, padded, &owned);
}

Value Parser::parseText(std::string_view text, bool padded, std::string* release) {
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") {
        body.remove_prefix(3);
    }
    if (state_->dom.capacity() < body.size() || state_->dom.max_depth() != kMaxDepth) {
        if (state_->dom.allocate(std::max(body.size(), state_->dom.capacity()), kMaxDepth) != simdjson::SUCCESS) {
            throw std::runtime_error("cannot allocate parser buffers for " + std::to_string(body.size()) + " bytes");
        }
    }
    simdjson::dom::element root;
    // Without room for the padding beyond its end, simdjson reads a copy of the text.
    auto const error = state_->dom.parse(body.data(), body.size(), !padded).get(root);
    if (error == simdjson::SUCCESS) {
        if (release != nullptr) {
            std::string().swap(*release);  // the parser holds all it needs: free the text before the tree grows
        }
        return Converter().convert(root);
    }
    if (auto located = detail::locateError(text, kMaxDepth)) {
        throwAt(text, located->offset, std::move(located->reason));
    }
    if (error == simdjson::NUMBER_ERROR) {
        // Integers beyond 64 bits are numbers like any other: read them as doubles.
        std::string const widened = detail::widenBigIntegers(body);
        if (widened.size() != body.size()) {
            return parse(widened);
        }
    }
    if (error == simdjson::DEPTH_ERROR) {
        throwAt(text, 0, "nesting deeper than " + std::to_string(kMaxDepth));
    }
    throwAt(text, text.size(), simdjson::error_message(error));
}

Value Parser::parseFile(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    }
    in.seekg(0, std::ios::end);
    auto const size = in.tellg();
    if (size < 0) {
        throw std::runtime_error("cannot read " + path + ": not a regular file");
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(size) + kPadding);
    text.resize(static_cast<std::size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in) {
        throw std::runtime_error("cannot read " + path + ": read failed");
    }
    return parseAndRelease(std::move(text));
}

Value parse(std::string_view text) { return Parser().parse(text); }
Value parseFile(std::string const& path) { return Parser().parseFile(path); }

} // namespace foundation::json
