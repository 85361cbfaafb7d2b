#pragma once

#include <foundation/json/ElementStream.hpp>
#include <foundation/json/Export.hpp>
#include <foundation/json/ParseError.hpp>
#include <foundation/json/Value.hpp>

#include <memory>
#include <string>
#include <string_view>

namespace foundation::json {

namespace detail {
struct ParserState;
}

/// Arrays and objects may nest this deep; deeper text is a ParseError, never a stack overflow.
inline constexpr std::size_t kMaxDepth = 512;

/// Room that text given to Parser::parseAndRelease should have beyond its end (reserve
/// size + kPadding before filling the string) so that the parser reads it in place.
inline constexpr std::size_t kPadding = 64;

/// Text that the parser may write into while it reads it, and leaves as it found it: a
/// private file mapping with write access, a buffer of the caller's own. A large array in
/// such text (one with line breaks between its entries) is parsed in two parts at once, on
/// two cores.
struct WritableText {
    char* data;
    std::size_t size;
    /// Bytes past the end that may be read, as for the read-only text below.
    std::size_t readableBeyondEnd = 0;
};

/// Parses JSON text. Every number becomes the double kind; of duplicate keys the last stays.
/// Reusable: keeps its buffers warm between documents, and the memory of the trees it made
/// once they are gone, for the next tree. A parsed tree is freed as a whole once no Value
/// of it is left. Not for concurrent use.
class RICHMARKUP_JSON_EXPORT Parser {
public:
    Parser();
    ~Parser();
    Parser(Parser const&) = delete;
    Parser& operator=(Parser const&) = delete;

    /// `readableBeyondEnd`: bytes past the text's end that may be read (not written), such
    /// as a string's spare capacity; with kPadding of them the text is read in place,
    /// otherwise the parser reads a copy.
    Value parse(std::string_view text, std::size_t readableBeyondEnd = 0);
    /// As parse, for text that the parser may keep and free: read in place when the string
    /// has kPadding bytes of room beyond its end, and freed once read, before the tree is
    /// built, so a large document is never held twice.
    Value parseAndRelease(std::string&& text);
    /// Throws ParseError for malformed text and std::runtime_error("cannot read FILE: why").
    Value parseFile(std::string const& path);

    /// Parses and checks the whole text, then hands out its top-level elements one at a
    /// time. The stream reads this parser's buffers, which stay warm for the next document;
    /// a parse while the stream lives takes fresh buffers. The text may go once this returns.
    ElementStream stream(std::string_view text, std::size_t readableBeyondEnd = 0);
    /// As stream, the text written into while it is read, and as it was once this returns.
    ElementStream stream(WritableText text);
    /// As stream, for one large document in a process that should not hold it twice: the
    /// text is freed once parsed, the parser's working buffers once the document is
    /// checked, and the parsed document's pages as the stream passes them.
    ElementStream streamAndRelease(std::string&& text);
    /// As above, for text the caller owns and lets go once this returns (a mapped file, say):
    /// read in place when kPadding bytes past its end may be read.
    ElementStream streamAndRelease(std::string_view text, std::size_t readableBeyondEnd);
    /// As above, the text written into while it is read, and as it was once this returns.
    ElementStream streamAndRelease(WritableText text);

private:
    // Parses into the current buffers; throws ParseError. Writable text may be parsed in parts.
    void load(std::string_view text, bool padded, std::string* release, char* writable = nullptr);
    // Parses a large array in two parts at once where it can be cut; false (the buffers
    // holding nothing of use, the text as it was) where not, or where the parts are not the
    // array's entries.
    bool loadInParts(char* text, std::size_t size, bool padded);
    // A stream that owns what load parsed; the working buffers go.
    ElementStream handOver();
    // The whole tree of what load parsed.
    Value convertLoaded();
    std::shared_ptr<detail::ParserState> state_;
};

RICHMARKUP_JSON_EXPORT Value parse(std::string_view text);
RICHMARKUP_JSON_EXPORT Value parseFile(std::string const& path);

} // namespace foundation::json
