#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace document::vxzero::detail {

/// Writes JSON tokens into a text, placing commas, line breaks and indentation. When given
/// a stream it hands the text over in large pieces, so memory stays bounded however large
/// the document.
///
/// The text is written through a position of its own: past it the string holds room, cut off
/// by finish(). Tokens are a few bytes each, and a std::string append per token would cost
/// more than the token.
class JsonOutput {
public:
    JsonOutput(std::string& text, bool pretty, int indent, std::ostream* stream = nullptr);

    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    /// A member's key (ASCII, needs no escaping); the next value is its value.
    template <std::size_t N>
    void key(char const (&name)[N]) {
        beforeValue();
        // Copied whole with its terminator, which the quote then overwrites.
        char* dst = room(N + 3);
        *dst++ = '"';
        std::memcpy(dst, name, N);
        dst += N - 1;
        *dst++ = '"';
        *dst++ = ':';
        *dst = ' ';
        advance(dst + (pretty_ ? 1 : 0));
        afterKey_ = true;
    }

    void value(std::u16string_view text);
    /// A string value known to be plain ASCII without quotes or backslashes (names, words).
    void asciiValue(std::string_view text) {
        beforeValue();
        char* dst = room(text.size() + 2);
        *dst++ = '"';
        std::memcpy(dst, text.data(), text.size());
        dst += text.size();
        *dst++ = '"';
        advance(dst);
    }
    void value(bool flag) {
        beforeValue();
        literal(flag ? std::string_view("true") : std::string_view("false"));
    }
    void value(std::uint64_t number);
    void value(long long number);
    void null() {
        beforeValue();
        literal("null");
    }

    /// Ends the document: a last newline when pretty, and everything handed to the stream.
    void finish();
    /// Hands the text to the stream once it has grown large.
    void flushIfLarge();

private:
    // Room for `size` more bytes at the write position.
    char* room(std::size_t size) {
        if (text_.size() - used_ < size) {
            grow(size);
        }
        return &text_[used_];
    }
    void advance(char const* end) { used_ = static_cast<std::size_t>(end - text_.data()); }
    void literal(std::string_view text) {
        std::memcpy(room(text.size()), text.data(), text.size());
        used_ += text.size();
    }
    void grow(std::size_t size);
    void write();

    void beforeValue() {
        if (afterKey_) {
            afterKey_ = false;
            return;
        }
        if (nonEmpty_.empty()) {
            return;
        }
        if (nonEmpty_.back()) {
            *room(1) = ',';
            ++used_;
        }
        nonEmpty_.back() = true;
        newline();
    }
    void open(char bracket) {
        beforeValue();
        *room(1) = bracket;
        ++used_;
        nonEmpty_.push_back(false);
    }
    void close(char bracket) {
        bool const hadItems = nonEmpty_.back();
        nonEmpty_.pop_back();
        if (hadItems) {
            newline();
        }
        *room(1) = bracket;
        ++used_;
    }
    void newline() {
        if (pretty_) {
            std::size_t const width = 1 + nonEmpty_.size() * indent_;
            if (lineStart_.size() < width + shortLine) {
                lineStart_.resize(width + shortLine, ' ');
                lineStart_[0] = '\n';
            }
            // A short line start (most are) is copied as a fixed block, the bytes past it
            // overwritten by what follows.
            if (width <= shortLine) {
                std::memcpy(room(shortLine), lineStart_.data(), shortLine);
            } else {
                std::memcpy(room(width), lineStart_.data(), width);
            }
            used_ += width;
        }
    }
    static constexpr std::size_t shortLine = 32;

    std::string& text_;
    std::size_t used_; // the write position: text_ up to it is the document's
    bool pretty_;
    std::size_t indent_;
    std::ostream* stream_;
    // Per open container: whether it holds anything yet.
    std::vector<char> nonEmpty_;
    bool afterKey_ = false;
    // A line end and the deepest indentation so far: each new line is a prefix of it.
    std::string lineStart_;
};

} // namespace document::vxzero::detail
