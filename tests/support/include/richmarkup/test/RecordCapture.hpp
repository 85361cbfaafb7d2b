#pragma once

#include <boost/log/sinks/sink.hpp>
#include <boost/smart_ptr/shared_ptr.hpp>

#include <mutex>
#include <string>
#include <vector>

namespace richmarkup::test {

/// Collects the message text of every record that reaches the logging core, in order,
/// while it lives. Enables level 8 on the shared logger, and restores the mask after.
class RecordCapture {
public:
    RecordCapture();
    ~RecordCapture();
    RecordCapture(RecordCapture const&) = delete;
    RecordCapture& operator=(RecordCapture const&) = delete;

    std::vector<std::string> messages() const;
    /// The severity of each record, in the same order as messages().
    std::vector<int> severities() const;
    void clear();

    struct State; // shared with the sink backend

private:
    boost::shared_ptr<State> state_;
    boost::shared_ptr<boost::log::sinks::sink> sink_;
    unsigned savedMask_;
};

} // namespace richmarkup::test
