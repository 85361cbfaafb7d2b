#pragma once

#include <richmarkup/shared/logging/Export.hpp>

#include <memory>
#include <ostream>

namespace richmarkup::shared::logging {

/// Writes every log record that reaches the logging core while it lives to a stream: its
/// message text only, one record a line. A line feed inside a message is written as the two
/// characters `\n` (a carriage return as `\r`) so that one line is always one record; everything
/// else, backslashes included, stays as it is.
/// The stream must outlive the sink; it is flushed when the sink goes.
class RecordFileSink {
public:
    RICHMARKUP_LOG_EXPORT explicit RecordFileSink(std::ostream& out);
    RICHMARKUP_LOG_EXPORT ~RecordFileSink();
    RecordFileSink(RecordFileSink const&) = delete;
    RecordFileSink& operator=(RecordFileSink const&) = delete;

    RICHMARKUP_LOG_EXPORT void flush();

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::shared::logging
