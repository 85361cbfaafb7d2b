#include <foundation/json/Parser.hpp>

#include "Converter.hpp"
#include "ElementStreamImpl.hpp"
#include "ErrorLocator.hpp"
#include "ParserState.hpp"

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

namespace {

// Whether simdjson may read a taken string in place: its spare capacity covers the padding.
bool hasPadding(std::string const& text) noexcept { return text.capacity() - text.size() >= kPadding; }

[[noreturn]] void throwAt(std::string_view text, std::size_t offset, std::string reason) {
    auto [line, column] = detail::lineAndColumn(text, offset);
    throw ParseError(line, column, std::move(reason));
}

} // namespace

Parser::Parser() : state_(std::make_shared<detail::ParserState>()) {}
Parser::~Parser() = default;

Value Parser::parse(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return convertLoaded();
}

Value Parser::parseAndRelease(std::string&& text) {
    std::string owned = std::move(text);
    load(owned, hasPadding(owned), &owned);
    return convertLoaded();
}

ElementStream Parser::stream(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return ElementStream(std::make_unique<ElementStream::Impl>(state_, state_->dom.doc.root()));
}

ElementStream Parser::streamAndRelease(std::string&& text) {
    std::string owned = std::move(text);
    load(owned, hasPadding(owned), &owned);
    return handOver();
}

ElementStream Parser::streamAndRelease(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return handOver();
}

ElementStream Parser::handOver() {
    auto document = std::make_unique<simdjson::dom::document>(std::move(state_->dom.doc));
    // The stream needs the parsed document only: the working buffers go now.
    state_ = std::make_shared<detail::ParserState>();
    return ElementStream(std::make_unique<ElementStream::Impl>(std::move(document)));
}

Value Parser::convertLoaded() { return detail::Converter(state_->blocks).convert(state_->dom.doc.root()); }

void Parser::load(std::string_view text, bool padded, std::string* release) {
    if (state_->lent) {
        state_ = std::make_shared<detail::ParserState>();
    }
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") {
        body.remove_prefix(3);
    }
    simdjson::dom::parser& dom = state_->dom;
    if (dom.capacity() < body.size() || dom.max_depth() != kMaxDepth) {
        if (dom.allocate(std::max(body.size(), dom.capacity()), kMaxDepth) != simdjson::SUCCESS) {
            throw std::runtime_error("cannot allocate parser buffers for " + std::to_string(body.size()) + " bytes");
        }
    }
    simdjson::dom::element root;
    // Without room for the padding beyond its end, simdjson reads a copy of the text.
    auto const error = dom.parse(body.data(), body.size(), !padded).get(root);
    if (error == simdjson::SUCCESS) {
        if (release != nullptr) {
            std::string().swap(*release);  // the parser holds all it needs: free the text before the tree grows
        }
        return;
    }
    if (auto located = detail::locateError(text, kMaxDepth)) {
        throwAt(text, located->offset, std::move(located->reason));
    }
    if (error == simdjson::NUMBER_ERROR) {
        // Integers beyond 64 bits are numbers like any other: read them as doubles.
        std::string const widened = detail::widenBigIntegers(body);
        if (widened.size() != body.size()) {
            load(widened, false, nullptr);
            if (release != nullptr) {
                std::string().swap(*release);
            }
            return;
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
