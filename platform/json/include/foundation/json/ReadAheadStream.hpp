#pragma once

#include <foundation/json/ElementStream.hpp>
#include <foundation/json/Export.hpp>
#include <foundation/json/Value.hpp>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace foundation::json {

/// Whether forEachElement may convert a stream's elements on a second thread.
enum class ReadAhead : bool {
    /// Everything on the caller's thread: for a process that already works on every core.
    Off,
    /// On a second thread when that pays (readAheadPays).
    WherePays,
};

/// Whether reading ahead pays for a stream: more than a few elements left, and a second core.
RICHMARKUP_JSON_EXPORT bool readAheadPays(ElementStream const& stream) noexcept;

/// What a ReadAheadStream without a `prepare` step hands out with each element.
struct NothingPrepared {};

namespace detail {

// Elements change hands in batches: one lock per batch instead of one per element keeps the
// hand-over cheap next to the conversion of a small element.
inline constexpr std::size_t kReadAheadBatch = 32;
// Fewer batches than this queued: the converting thread is behind, and leaves `prepare` to the caller.
inline constexpr std::size_t kQueuedToPrepare = 2;

/// Has the memory of an element converted on another core on its way to this one's cache.
RICHMARKUP_JSON_EXPORT void prefetchElement(Value const& element) noexcept;

} // namespace detail

/// A stream's elements converted on a thread of its own, ahead of the caller, so that turning
/// the next elements into Values overlaps the caller's work on this one. Hands them out in the
/// stream's order, exactly as the stream would. At most about `window` elements wait converted
/// at any time, so memory stays bounded whatever the document's length.
///
/// The stream must outlive this object and must not be used meanwhile. Not for concurrent
/// use itself: one caller takes the elements.
template <class Prepared = NothingPrepared>
class ReadAheadStream {
public:
    /// Work on each element done on the converting thread too, ahead of the caller; what it
    /// gives is handed out with the element. It runs on another thread than the caller's: it
    /// may only read the element and what it holds itself. When the caller is kept waiting for
    /// elements, the converting thread leaves this work to it, in `next`, so that neither core
    /// sits idle while the other has work.
    using Prepare = std::function<Prepared(Value const& element)>;

    explicit ReadAheadStream(ElementStream& stream, std::size_t window = 512, Prepare prepare = {});
    /// Stops the converting thread; elements not taken are let go.
    ~ReadAheadStream();
    ReadAheadStream(ReadAheadStream const&) = delete;
    ReadAheadStream& operator=(ReadAheadStream const&) = delete;

    /// Gives the next element, or false when all have been handed out. Throws what the
    /// stream threw while converting it (such as std::bad_alloc), or what `prepare` threw.
    bool next(Value& element);
    /// The same, with what `prepare` gave for the element (Prepared{} without a `prepare`).
    bool next(Value& element, Prepared& prepared);

private:
    struct Batch {
        std::vector<Value> elements;
        std::vector<Prepared> prepared; // one for each element, with a `prepare`
        std::vector<bool> left;         // for each element, with a `prepare`: left to the caller to prepare
    };

    void produce() noexcept;

    ElementStream& stream_;
    Prepare prepare_;
    std::size_t windowBatches_;
    // A producer that found the window full sleeps until it has drained to here: woken once
    // for several batches, not for each batch taken.
    std::size_t lowWater_;

    std::mutex mutex_;
    std::condition_variable ready_; // a batch was queued, or the producer finished
    std::condition_variable room_;  // a batch was taken, or the consumer left
    std::deque<Batch> queued_;
    // Batches the consumer is done with, freed by the producer: a tree is then made and freed
    // on one thread, and its counts and allocator arenas never move between cores.
    std::vector<Batch> done_;
    bool finished_ = false;
    bool stopping_ = false;
    // Balances the two threads. With few batches queued this thread is the slower one: it
    // leaves `prepare` to the caller, which would otherwise soon sit idle. Batches stay full
    // even then: shorter ones would keep a caller that is always faster waiting at every few.
    std::atomic<std::size_t> queuedBatches_{0};
    std::exception_ptr error_;

    // The consumer's side: the batch it takes elements from.
    Batch current_;
    std::size_t taken_ = 0;

    std::thread producer_;
};

template <class Prepared>
ReadAheadStream<Prepared>::ReadAheadStream(ElementStream& stream, std::size_t window, Prepare prepare)
    : stream_(stream), prepare_(std::move(prepare)),
      windowBatches_(window / detail::kReadAheadBatch > 0 ? window / detail::kReadAheadBatch : 1),
      lowWater_(windowBatches_ / 2) {
    producer_ = std::thread([this] { produce(); });
}

template <class Prepared>
ReadAheadStream<Prepared>::~ReadAheadStream() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    room_.notify_one();
    producer_.join();
}

template <class Prepared>
void ReadAheadStream<Prepared>::produce() noexcept {
    try {
        bool more = true;
        while (more) {
            std::vector<Batch> finished;
            {
                std::lock_guard lock(mutex_);
                finished.swap(done_);
            }
            finished.clear();
            Batch batch;
            batch.elements.reserve(detail::kReadAheadBatch);
            Value element;
            while (batch.elements.size() < detail::kReadAheadBatch && (more = stream_.next(element))) {
                if (prepare_) {
                    bool const leave = queuedBatches_.load(std::memory_order_relaxed) < detail::kQueuedToPrepare;
                    batch.prepared.push_back(leave ? Prepared() : prepare_(element));
                    batch.left.push_back(leave);
                }
                batch.elements.push_back(std::move(element));
            }
            std::unique_lock lock(mutex_);
            if (queued_.size() >= windowBatches_) {
                room_.wait(lock, [&] { return stopping_ || queued_.size() <= lowWater_; });
            }
            if (stopping_) {
                return;
            }
            if (!batch.elements.empty()) {
                queued_.push_back(std::move(batch));
                queuedBatches_.store(queued_.size(), std::memory_order_relaxed);
                ready_.notify_one();
            }
        }
    } catch (...) {
        std::lock_guard lock(mutex_);
        error_ = std::current_exception();
    }
    std::lock_guard lock(mutex_);
    finished_ = true;
    ready_.notify_one();
}

template <class Prepared>
bool ReadAheadStream<Prepared>::next(Value& element) {
    Prepared prepared;
    return next(element, prepared);
}

template <class Prepared>
bool ReadAheadStream<Prepared>::next(Value& element, Prepared& prepared) {
    if (taken_ == current_.elements.size()) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [&] { return !queued_.empty() || finished_; });
        if (queued_.empty()) {
            if (error_) {
                std::rethrow_exception(std::exchange(error_, nullptr));
            }
            return false;
        }
        if (!current_.elements.empty()) {
            done_.push_back(std::move(current_));
        }
        current_ = std::move(queued_.front());
        queued_.pop_front();
        queuedBatches_.store(queued_.size(), std::memory_order_relaxed);
        taken_ = 0;
        if (queued_.size() == lowWater_) {
            room_.notify_one();
        }
    }
    std::size_t const at = taken_++;
    element = current_.elements[at]; // a copy: the batch's own reference is freed by the producer
    if (at < current_.left.size() && current_.left[at]) {
        prepared = prepare_(element); // may throw, as the stream's own work may
    } else if (at < current_.prepared.size()) {
        prepared = std::move(current_.prepared[at]);
    } else {
        prepared = Prepared();
    }
    if (taken_ < current_.elements.size()) {
        // The next element was made on the other core: have its lines on their way here while
        // this one is built.
        detail::prefetchElement(current_.elements[taken_]);
    }
    return true;
}

/// Calls take(element, prepare(element)) for each element of the stream in order, reading
/// ahead on a second core when allowed and that pays; prepare then runs on that core, or on
/// the caller's while that one would wait (see ReadAheadStream::Prepare).
template <class Prepare, class Take>
void forEachElement(ElementStream& stream, ReadAhead readAhead, Prepare&& prepare, Take&& take) {
    using Prepared = std::decay_t<std::invoke_result_t<Prepare&, Value const&>>;
    Value element;
    Prepared prepared{};
    if (readAhead == ReadAhead::WherePays && readAheadPays(stream)) {
        ReadAheadStream<Prepared> ahead(stream, 512, std::forward<Prepare>(prepare));
        while (ahead.next(element, prepared)) {
            take(std::as_const(element), std::as_const(prepared));
        }
        return;
    }
    while (stream.next(element)) {
        prepared = prepare(std::as_const(element));
        take(std::as_const(element), std::as_const(prepared));
    }
}

/// Calls take(element) for each element of the stream in order, reading ahead on a second core
/// when allowed and that pays.
template <class Take>
void forEachElement(ElementStream& stream, ReadAhead readAhead, Take&& take) {
    Value element;
    if (readAhead == ReadAhead::WherePays && readAheadPays(stream)) {
        ReadAheadStream<> ahead(stream);
        while (ahead.next(element)) {
            take(std::as_const(element));
        }
        return;
    }
    while (stream.next(element)) {
        take(std::as_const(element));
    }
}

/// The same, reading ahead where that pays.
template <class Take>
void forEachElement(ElementStream& stream, Take&& take) {
    forEachElement(stream, ReadAhead::WherePays, std::forward<Take>(take));
}

} // namespace foundation::json
