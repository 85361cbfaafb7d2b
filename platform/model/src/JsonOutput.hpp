#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace document::vxzero::detail {

/// Writes JSON tokens into a text, placing commas, line breaks and indentation. When given
/// a stream it hands the text over in large pieces, so memory stays bounded however large
/// the document.
class JsonOutput {
public:
    JsonOutput(std::string& text, bool pretty, int indent, std::ostream* stream = nullptr);

    void beginArray();
    void endArray();
    void beginObject();
    void endObject();
    /// A member's key (ASCII, needs no escaping); the next value is its value.
    void key(std::string_view name);

    void value(std::u16string_view text);
    /// A string value known to be plain ASCII without quotes or backslashes (names, words).
    void asciiValue(std::string_view text);
    void value(bool flag);
    void value(std::uint64_t number);
    void value(long long number);
    void null();

    /// Ends the document: a last newline when pretty, and everything handed to the stream.
    void finish();
    /// Hands the text to the stream once it has grown large.
    void flushIfLarge();

private:
    void beforeValue();
    void open(char bracket);
    void close(char bracket);
    void newline();

    std::string& text_;
    bool pretty_;
    std::size_t indent_;
    std::ostream* stream_;
    // Per open container: whether it holds anything yet.
    std::vector<bool> nonEmpty_;
    bool afterKey_ = false;
};

} // namespace document::vxzero::detail
