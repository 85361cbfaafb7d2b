#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace richmarkup::tool {

/// Runs jobs on a number of threads and hands their results back in the order the jobs were
/// given, whatever order they finish in, on the thread that gives them. At most `window` jobs
/// are given and not yet handed back at any time: a producer faster than the workers waits, so
/// memory stays bounded however many jobs come. With one thread, jobs run on the caller's
/// thread as they are given: no thread is started. Threads start as jobs wait for one, so a
/// short run starts no more of them than it has jobs; when the system will not start another,
/// the work goes on with those it has (or on the caller's thread).
///
/// A job that throws is the caller's to hear: the exception comes out of submit or finish,
/// in its order, and the work ends (jobs given after it are not run).
template <class Result>
class OrderedWork {
public:
    using Job = std::function<Result()>;
    using Deliver = std::function<void(Result&)>;

    OrderedWork(std::size_t threads, std::size_t window, Deliver deliver)
        : threads_(threads), window_(window < threads ? threads : window), deliver_(std::move(deliver)) {
        workers_.reserve(threads > 1 ? threads : 0);
    }

    ~OrderedWork() { stop(); }
    OrderedWork(OrderedWork const&) = delete;
    OrderedWork& operator=(OrderedWork const&) = delete;

    /// Gives a job; hands back whatever results are ready, in order, and waits while the
    /// window is full.
    void submit(Job job) {
        if (threads_ <= 1 || (workers_.empty() && !startWorker())) {
            Result result = job();
            deliver_(result);
            return;
        }
        std::unique_lock lock(mutex_);
        slots_.push_back(Slot{std::move(job), std::nullopt, nullptr, false});
        ++queued_;
        if (queued_ > idle_ && workers_.size() < threads_) {
            lock.unlock();
            startWorker();
            lock.lock();
        }
        workAvailable_.notify_one();
        deliverReady(lock, window_);
    }

    /// Waits for every job given so far and hands back the rest of the results; more jobs may
    /// follow.
    void finish() {
        if (workers_.empty()) {
            return;
        }
        std::unique_lock lock(mutex_);
        deliverReady(lock, 1);
    }

private:
    struct Slot {
        Job job;
        std::optional<Result> result;
        std::exception_ptr error;
        bool taken;
    };

    // Hands back finished results from the front while more than `keep - 1` slots are open:
    // keep == window waits only for room, keep == 1 waits for everything.
    void deliverReady(std::unique_lock<std::mutex>& lock, std::size_t keep) {
        for (;;) {
            while (!slots_.empty() && (slots_.front().result || slots_.front().error)) {
                Slot slot = std::move(slots_.front());
                slots_.pop_front();
                ++firstIndex_;
                lock.unlock();
                if (slot.error) {
                    stop();
                    std::rethrow_exception(slot.error);
                }
                deliver_(*slot.result);
                lock.lock();
            }
            if (slots_.size() < keep) {
                return;
            }
            done_.wait(lock);
        }
    }

    // False when the system starts no more threads: the ones running carry on.
    bool startWorker() noexcept {
        try {
            workers_.emplace_back([this] { work(); });
            return true;
        } catch (...) {
            threads_ = workers_.size();
            return false;
        }
    }

    void work() {
        std::unique_lock lock(mutex_);
        for (;;) {
            ++idle_;
            workAvailable_.wait(lock, [&] { return stopping_ || queued_ > 0; });
            --idle_;
            if (stopping_) {
                return;
            }
            // The oldest job not yet taken: jobs start in order, so the front finishes first
            // more often and the window drains steadily.
            std::size_t i = 0;
            while (slots_[i].taken) {
                ++i;
            }
            Slot& slot = slots_[i];
            slot.taken = true;
            --queued_;
            std::size_t const index = firstIndex_ + i;
            Job job = std::move(slot.job);
            lock.unlock();
            std::optional<Result> result;
            std::exception_ptr error;
            try {
                result.emplace(job());
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            // The deque may have moved on meanwhile; the slot is found by its index.
            Slot& finished = slots_[index - firstIndex_];
            finished.result = std::move(result);
            finished.error = error;
            done_.notify_all();
        }
    }

    void stop() noexcept {
        {
            std::lock_guard lock(mutex_);
            if (stopping_) {
                return;
            }
            stopping_ = true;
        }
        workAvailable_.notify_all();
        for (auto& worker : workers_) {
            if (worker.joinable() && worker.get_id() != std::this_thread::get_id()) {
                worker.join();
            }
        }
    }

    std::size_t threads_; // at most; fewer run until the jobs need them
    std::size_t const window_;
    Deliver deliver_;
    std::mutex mutex_;
    std::condition_variable workAvailable_;
    std::condition_variable done_;
    std::deque<Slot> slots_;
    std::size_t firstIndex_ = 0; // the index of slots_.front() among all jobs given
    std::size_t queued_ = 0;     // jobs given and not yet taken by a worker
    std::size_t idle_ = 0;       // workers waiting for a job
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};

} // namespace richmarkup::tool
