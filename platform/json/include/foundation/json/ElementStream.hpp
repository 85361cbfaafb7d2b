#pragma once

#include <foundation/json/Export.hpp>
#include <foundation/json/Value.hpp>

#include <cstddef>
#include <memory>

namespace foundation::json {

/// The top-level elements of a parsed document, converted to Values one at a time, so that a
/// caller can build one, let it go and take the next: the whole tree of Values never exists
/// at once. The text was parsed and checked whole before the stream was made, so a stream
/// never fails part way. An array is streamed entry by entry; a document of any other kind
/// is one element.
///
/// Made by Parser::stream and Parser::streamAndRelease. Not for concurrent use.
class ElementStream {
public:
    RICHMARKUP_JSON_EXPORT ElementStream(ElementStream&&) noexcept;
    RICHMARKUP_JSON_EXPORT ElementStream& operator=(ElementStream&&) noexcept;
    RICHMARKUP_JSON_EXPORT ~ElementStream();

    /// The kind of the document as a whole.
    RICHMARKUP_JSON_EXPORT Kind documentKind() const noexcept;
    /// Top-level elements in all: the array's size, or 1.
    RICHMARKUP_JSON_EXPORT std::size_t size() const noexcept;
    /// Elements handed out so far.
    RICHMARKUP_JSON_EXPORT std::size_t position() const noexcept;
    /// Gives the next element, or false when all have been handed out.
    RICHMARKUP_JSON_EXPORT bool next(Value& element);
    /// Bytes of the parsed document handed back to the system so far (streamAndRelease only).
    RICHMARKUP_JSON_EXPORT std::size_t releasedBytes() const noexcept;
    /// Parsed documents the elements come from: 2 where a large array was parsed in two
    /// parts at once (Parser's WritableText), else 1.
    RICHMARKUP_JSON_EXPORT std::size_t parts() const noexcept;

    struct Impl;

private:
    friend class Parser;
    explicit ElementStream(std::unique_ptr<Impl> impl) noexcept;
    std::unique_ptr<Impl> impl_;
};

} // namespace foundation::json
