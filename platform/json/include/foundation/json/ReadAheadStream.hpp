#pragma once

#include <foundation/json/ElementStream.hpp>
#include <foundation/json/Value.hpp>

#include <cstddef>
#include <functional>
#include <memory>

namespace foundation::json {

/// A stream's elements converted on a thread of its own, ahead of the caller, so that turning
/// the next elements into Values overlaps the caller's work on this one. Hands them out in the
/// stream's order, exactly as the stream would. At most about `window` elements wait converted
/// at any time, so memory stays bounded whatever the document's length.
///
/// The stream must outlive this object and must not be used meanwhile. Not for concurrent
/// use itself: one caller takes the elements.
class ReadAheadStream {
public:
    /// Work on each element done on the converting thread too, ahead of the caller; what it
    /// gives (often nothing) is handed out with the element. It runs on another thread than
    /// the caller's: it may only read the element and what it holds itself. When the caller
    /// is kept waiting for elements, the converting thread leaves this work to it, in `next`,
    /// so that neither core sits idle while the other has work.
    using Prepare = std::function<std::shared_ptr<void>(Value const& element)>;

    explicit ReadAheadStream(ElementStream& stream, std::size_t window = 512, Prepare prepare = {});
    /// Stops the converting thread; elements not taken are let go.
    ~ReadAheadStream();
    ReadAheadStream(ReadAheadStream const&) = delete;
    ReadAheadStream& operator=(ReadAheadStream const&) = delete;

    /// Gives the next element, or false when all have been handed out. Throws what the
    /// stream threw while converting it (such as std::bad_alloc).
    bool next(Value& element);
    /// The same, with what `prepare` gave for the element (nothing without a `prepare`).
    bool next(Value& element, std::shared_ptr<void>& prepared);

    /// Whether reading ahead pays for a stream: more than a few elements, a second core, and
    /// not turned off.
    static bool worthwhile(ElementStream const& stream) noexcept;
    /// Turns reading ahead on or off for the whole process (on by default); for comparisons,
    /// and for hosts that keep their second core for something else.
    static void allow(bool allow) noexcept;

    struct Shared;

private:
    std::shared_ptr<Shared> shared_;
};

/// Calls take(element, prepare(element)) for each element of the stream in order, reading
/// ahead on a second core when that pays (ReadAheadStream::worthwhile); prepare then runs on
/// that core, or on the caller's while that one would wait (see ReadAheadStream::Prepare).
template <class Take>
void forEachElement(ElementStream& stream, ReadAheadStream::Prepare prepare, Take&& take) {
    Value element;
    std::shared_ptr<void> prepared;
    if (ReadAheadStream::worthwhile(stream)) {
        ReadAheadStream ahead(stream, 512, std::move(prepare));
        while (ahead.next(element, prepared)) {
            take(static_cast<Value const&>(element), static_cast<std::shared_ptr<void> const&>(prepared));
        }
        return;
    }
    while (stream.next(element)) {
        prepared = prepare ? prepare(element) : nullptr;
        take(static_cast<Value const&>(element), static_cast<std::shared_ptr<void> const&>(prepared));
    }
}

/// Calls take(element) for each element of the stream in order, reading ahead on a second core
/// when that pays (ReadAheadStream::worthwhile).
template <class Take>
void forEachElement(ElementStream& stream, Take&& take) {
    forEachElement(stream, ReadAheadStream::Prepare(),
                   [&take](Value const& element, std::shared_ptr<void> const&) { take(element); });
}

} // namespace foundation::json
