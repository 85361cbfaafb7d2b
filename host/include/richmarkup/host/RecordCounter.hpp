#pragma once

#include <cstddef>
#include <memory>

namespace richmarkup::host {

/// Counts the log records that reach the logging core while it lives (a sink of its own).
class RecordCounter {
public:
    RecordCounter();
    ~RecordCounter();
    RecordCounter(RecordCounter const&) = delete;
    RecordCounter& operator=(RecordCounter const&) = delete;

    std::size_t count() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::host
