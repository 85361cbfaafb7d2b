#pragma once

#include <richmarkup/shared/logging/Export.hpp>

#include <cstddef>
#include <memory>

namespace richmarkup::shared::logging {

/// Counts the log records that reach the logging core while it lives (a sink of its own).
class RecordCounter {
public:
    RICHMARKUP_LOG_EXPORT RecordCounter();
    RICHMARKUP_LOG_EXPORT ~RecordCounter();
    RecordCounter(RecordCounter const&) = delete;
    RecordCounter& operator=(RecordCounter const&) = delete;

    RICHMARKUP_LOG_EXPORT std::size_t count() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::shared::logging
