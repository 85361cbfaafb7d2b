#pragma once

#include <foundation/json/ElementStream.hpp>

#include "Converter.hpp"
#include "ParserState.hpp"
#include "PassedPages.hpp"
#include "Tape.hpp"
#include "ZeroedNumbers.hpp"

#include <simdjson.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace foundation::json {

namespace detail {

/// Follows a stream through the tape of a document and releases the tape's and the string
/// buffer's pages behind it.
class StreamRelease {
public:
    /// `first`: the tape word of the first element the stream hands out.
    StreamRelease(Tape const& tape, std::size_t first) noexcept
        : tape_(tape), index_(first), tapePages_(tape.words() + first), stringPages_(tape.strings()) {}
    /// The entries before tape word `next` have been converted; `last`: nothing more of the
    /// document will be read, so that all of it goes, the last batch too.
    void passed(std::size_t next, bool last) noexcept;
    std::size_t released() const noexcept { return tapePages_.released() + stringPages_.released(); }

private:
    // The last string read is looked for only this often: pages go in large batches anyway.
    static constexpr std::size_t kStringCheckWords = std::size_t(1) << 15;

    // Past the NUL of the last string among tape words [from, to), or null if there is none.
    std::uint8_t const* stringsEnd(std::size_t from, std::size_t to) const noexcept;

    Tape tape_;
    std::size_t index_; // the tape word of the entry the stream converts next
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
    /// A stream that owns the documents and releases their pages as it passes them: one, or
    /// the parts of one array parsed apart, in order; `zeroed`: of each document.
    Impl(std::vector<std::unique_ptr<simdjson::dom::document>> documents, std::vector<detail::ZeroedNumbers> zeroed);
    ~Impl();
    Impl(Impl const&) = delete;
    Impl& operator=(Impl const&) = delete;

    /// One parsed document: the whole text, or a part of its array.
    struct Part {
        detail::Tape tape;
        std::size_t end; // the count handed out once this part's entries are all handed out
        std::optional<detail::StreamRelease> release;
    };

    void start(std::vector<simdjson::dom::document const*> const& documents,
               std::vector<detail::ZeroedNumbers const*> const& zeroed, bool releasing);
    // Moves to the next part; an owned part behind is freed whole.
    void nextPart();
    // Frees an owned part whole, as soon as its last element is converted: its buffers hold
    // more than the pages released behind the stream (pages mapped ahead of the parse and
    // never used, the tails of the buffers).
    void freePart(std::size_t index) noexcept;

    std::shared_ptr<detail::ParserState> borrowed;
    std::vector<std::unique_ptr<simdjson::dom::document>> owned;
    std::vector<detail::ZeroedNumbers> ownedZeroed;
    std::vector<Part> parts;
    std::size_t part = 0; // the part being handed out
    Kind kind = Kind::Undefined;
    std::size_t count = 0;
    std::size_t handedOut = 0;
    std::size_t next = detail::Tape::kRoot; // the tape word of the element handed out next
    std::size_t releasedBehind = 0;         // by the parts already freed whole
    detail::Converter converter{std::make_shared<detail::BlockPool>(kElementBlock)};
};

} // namespace foundation::json
