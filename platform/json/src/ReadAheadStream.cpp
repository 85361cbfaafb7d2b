#include <foundation/json/ReadAheadStream.hpp>

#include "Reps.hpp"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace foundation::json {

namespace {

// Elements change hands in batches: one lock per batch instead of one per element keeps the
// hand-over cheap next to the conversion of a small element.
constexpr std::size_t kBatch = 32;
// Fewer batches than this queued: the converting thread is behind, and leaves `prepare` to the caller.
constexpr std::size_t kQueuedToPrepare = 2;

std::atomic<bool> allowed{true};

} // namespace

struct ReadAheadStream::Shared {
    ElementStream* stream = nullptr;
    std::size_t windowBatches = 1;
    // A producer that found the window full sleeps until it has drained to here: woken once
    // for several batches, not for each batch taken.
    std::size_t lowWater = 0;

    ReadAheadStream::Prepare prepare;

    struct Batch {
        std::vector<Value> elements;
        std::vector<std::shared_ptr<void>> prepared;  // one for each element, with a `prepare`
        std::vector<bool> left;  // for each element, with a `prepare`: left to the caller to prepare
    };

    std::mutex mutex;
    std::condition_variable ready;  // a batch was queued, or the producer finished
    std::condition_variable room;   // a batch was taken, or the consumer left
    std::deque<Batch> queued;
    // Batches the consumer is done with, freed by the producer: a tree is then made and freed
    // on one thread, and its counts and allocator arenas never move between cores.
    std::vector<Batch> done;
    bool finished = false;
    bool stopping = false;
    // Balances the two threads. With few batches queued this thread is the slower one: it
    // leaves `prepare` to the caller, which would otherwise soon sit idle. Batches stay full
    // even then: shorter ones would keep a caller that is always faster waiting at every few.
    std::atomic<std::size_t> queuedBatches{0};
    std::exception_ptr error;

    // The consumer's side: the batch it takes elements from.
    Batch current;
    std::size_t taken = 0;

    std::thread producer;

    void produce() noexcept {
        try {
            bool more = true;
            while (more) {
                std::vector<Batch> finished;
                {
                    std::lock_guard lock(mutex);
                    finished.swap(done);
                }
                finished.clear();
                Batch batch;
                batch.elements.reserve(kBatch);
                Value element;
                while (batch.elements.size() < kBatch && (more = stream->next(element))) {
                    if (prepare) {
                        bool const leave = queuedBatches.load(std::memory_order_relaxed) < kQueuedToPrepare;
                        batch.prepared.push_back(leave ? nullptr : prepare(element));
                        batch.left.push_back(leave);
                    }
                    batch.elements.push_back(std::move(element));
                }
                std::unique_lock lock(mutex);
                if (queued.size() >= windowBatches) {
                    room.wait(lock, [&] { return stopping || queued.size() <= lowWater; });
                }
                if (stopping) {
                    return;
                }
                if (!batch.elements.empty()) {
                    queued.push_back(std::move(batch));
                    queuedBatches.store(queued.size(), std::memory_order_relaxed);
                    ready.notify_one();
                }
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            error = std::current_exception();
        }
        std::lock_guard lock(mutex);
        finished = true;
        ready.notify_one();
    }
};

ReadAheadStream::ReadAheadStream(ElementStream& stream, std::size_t window, Prepare prepare)
    : shared_(std::make_shared<Shared>()) {
    shared_->stream = &stream;
    shared_->prepare = std::move(prepare);
    shared_->windowBatches = window / kBatch > 0 ? window / kBatch : 1;
    shared_->lowWater = shared_->windowBatches / 2;
    shared_->producer = std::thread([shared = shared_.get()] { shared->produce(); });
}

ReadAheadStream::~ReadAheadStream() {
    {
        std::lock_guard lock(shared_->mutex);
        shared_->stopping = true;
    }
    shared_->room.notify_one();
    shared_->producer.join();
}

bool ReadAheadStream::next(Value& element) {
    std::shared_ptr<void> prepared;
    return next(element, prepared);
}

bool ReadAheadStream::next(Value& element, std::shared_ptr<void>& prepared) {
    Shared& s = *shared_;
    if (s.taken == s.current.elements.size()) {
        std::unique_lock lock(s.mutex);
        s.ready.wait(lock, [&] { return !s.queued.empty() || s.finished; });
        if (s.queued.empty()) {
            if (s.error) {
                std::rethrow_exception(std::exchange(s.error, nullptr));
            }
            return false;
        }
        if (!s.current.elements.empty()) {
            s.done.push_back(std::move(s.current));
        }
        s.current = std::move(s.queued.front());
        s.queued.pop_front();
        s.queuedBatches.store(s.queued.size(), std::memory_order_relaxed);
        s.taken = 0;
        if (s.queued.size() == s.lowWater) {
            s.room.notify_one();
        }
    }
    std::size_t const at = s.taken++;
    element = s.current.elements[at];  // a copy: the batch's own reference is freed by the producer
    if (at < s.current.left.size() && s.current.left[at]) {
        prepared = s.prepare(element);  // may throw, as the stream's own work may
    } else {
        prepared = at < s.current.prepared.size() ? std::move(s.current.prepared[at]) : nullptr;
    }
    if (s.taken < s.current.elements.size()) {
        // The next element was made on the other core: have its lines on their way here while
        // this one is built.
        detail::prefetchTree(s.current.elements[s.taken]);
    }
    return true;
}

bool ReadAheadStream::worthwhile(ElementStream const& stream) noexcept {
    return allowed.load(std::memory_order_relaxed) && stream.size() - stream.position() > kBatch &&
           std::thread::hardware_concurrency() > 1;
}

void ReadAheadStream::allow(bool allow) noexcept { allowed.store(allow, std::memory_order_relaxed); }

} // namespace foundation::json
