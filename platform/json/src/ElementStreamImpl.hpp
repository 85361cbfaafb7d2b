#pragma once

#include <foundation/json/ElementStream.hpp>

#include "Converter.hpp"
#include "ParserState.hpp"
#include "PassedPages.hpp"
#include "Tape.hpp"

#include <simdjson.h>

#include <cstdint>
#include <memory>
#include <optional>

namespace foundation::json {

namespace detail {

/// Follows a stream through the tape of a document whose root is an array and releases the
/// tape's and the string buffer's pages behind it.
class StreamRelease {
public:
    explicit StreamRelease(Tape const& tape) noexcept : tape_(tape), tapePages_(tape.words() + 2), stringPages_(tape.strings()) {}
    /// The entries before tape word `next` have been converted.
    void passed(std::size_t next) noexcept;
    std::size_t released() const noexcept { return tapePages_.released() + stringPages_.released(); }

private:
    // The last string read is looked for only this often: pages go in large batches anyway.
    static constexpr std::size_t kStringCheckWords = std::size_t(1) << 15;

    Tape tape_;
    std::size_t index_ = 2;  // the tape word of the entry the stream converts next
    std::size_t stringsCheckedAt_ = 0;
    PassedPages tapePages_;
    PassedPages stringPages_;
};

} // namespace detail

struct ElementStream::Impl {
    // Each element gets an arena of its own, so that it is freed as soon as it is let go;
    // small blocks, reused from one element to the next.
    static constexpr std::size_t kElementBlock = 4096;

    /// A stream over the parser's own buffers, which go back to it when the stream ends.
    explicit Impl(std::shared_ptr<detail::ParserState> lender);
    /// A stream that owns the document and releases its pages as it passes them.
    explicit Impl(std::unique_ptr<simdjson::dom::document> document);
    ~Impl();
    Impl(Impl const&) = delete;
    Impl& operator=(Impl const&) = delete;

    void start(simdjson::dom::document const& document);

    std::shared_ptr<detail::ParserState> borrowed;
    std::unique_ptr<simdjson::dom::document> owned;
    std::optional<detail::Tape> tape;
    Kind kind = Kind::Undefined;
    std::size_t count = 0;
    std::size_t handedOut = 0;
    std::size_t next = detail::Tape::kRoot;  // the tape word of the element handed out next
    detail::Converter converter{std::make_shared<detail::BlockPool>(kElementBlock)};
    std::optional<detail::StreamRelease> release;
};

} // namespace foundation::json
