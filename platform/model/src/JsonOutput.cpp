#include "JsonOutput.hpp"

#include <fl/i18n/Utf8Encoder.hpp>

#include <charconv>
#include <ostream>

namespace document::vxzero::detail {
namespace {

constexpr std::size_t flushThreshold = 64 * 1024;

template <class Number>
void appendNumber(std::string& text, Number number) {
    char digits[24];
    auto const result = std::to_chars(digits, digits + sizeof digits, number);
    text.append(digits, result.ptr);
}

void appendUnicodeEscape(std::string& out, char16_t unit) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\u";
    out.push_back(digits[(unit >> 12) & 0xF]);
    out.push_back(digits[(unit >> 8) & 0xF]);
    out.push_back(digits[(unit >> 4) & 0xF]);
    out.push_back(digits[unit & 0xF]);
}

} // namespace

JsonOutput::JsonOutput(std::string& text, bool pretty, int indent, std::ostream* stream)
    : text_(text), pretty_(pretty), indent_(indent > 0 ? static_cast<std::size_t>(indent) : 0), stream_(stream) {}

void JsonOutput::newline() {
    if (pretty_) {
        text_.push_back('\n');
        text_.append(nonEmpty_.size() * indent_, ' ');
    }
}

void JsonOutput::beforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (nonEmpty_.empty()) {
        return;
    }
    if (nonEmpty_.back()) {
        text_.push_back(',');
    }
    nonEmpty_.back() = true;
    newline();
}

void JsonOutput::open(char bracket) {
    beforeValue();
    text_.push_back(bracket);
    nonEmpty_.push_back(false);
}

void JsonOutput::close(char bracket) {
    bool const hadItems = nonEmpty_.back();
    nonEmpty_.pop_back();
    if (hadItems) {
        newline();
    }
    text_.push_back(bracket);
}

void JsonOutput::beginArray() { open('['); }
void JsonOutput::endArray() { close(']'); }
void JsonOutput::beginObject() { open('{'); }
void JsonOutput::endObject() { close('}'); }

void JsonOutput::key(std::string_view name) {
    beforeValue();
    text_.push_back('"');
    text_.append(name);
    text_.append(pretty_ ? "\": " : "\":");
    afterKey_ = true;
}

void JsonOutput::value(std::u16string_view text) {
    beforeValue();
    text_.push_back('"');
    // Quote, backslash and control characters escaped, the rest as UTF-8; a lone surrogate is
    // kept as its \u escape, so nothing is lost.
    fl::i18n::encodeUtf8(
        text_, text,
        [](std::string& out, char c) {
            if (c == '"' || c == '\\') {
                out.push_back('\\');
                out.push_back(c);
            } else if (static_cast<unsigned char>(c) < 0x20) {
                appendUnicodeEscape(out, static_cast<char16_t>(c));
            } else {
                out.push_back(c);
            }
        },
        [](std::string& out, char16_t unit, std::size_t) { appendUnicodeEscape(out, unit); });
    text_.push_back('"');
}

void JsonOutput::asciiValue(std::string_view text) {
    beforeValue();
    text_.push_back('"');
    text_.append(text);
    text_.push_back('"');
}

void JsonOutput::value(bool flag) {
    beforeValue();
    text_.append(flag ? "true" : "false");
}

void JsonOutput::value(std::uint64_t number) {
    beforeValue();
    appendNumber(text_, number);
}

void JsonOutput::value(long long number) {
    beforeValue();
    appendNumber(text_, number);
}

void JsonOutput::null() {
    beforeValue();
    text_.append("null");
}

void JsonOutput::finish() {
    if (pretty_) {
        text_.push_back('\n');
    }
    if (stream_ != nullptr) {
        stream_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }
}

void JsonOutput::flushIfLarge() {
    if (stream_ != nullptr && text_.size() >= flushThreshold) {
        stream_->write(text_.data(), static_cast<std::streamsize>(text_.size()));
        text_.clear();
    }
}

} // namespace document::vxzero::detail
