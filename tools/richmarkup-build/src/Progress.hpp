#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <ostream>

namespace richmarkup::tool {

/// The progress line of a long batch run on a terminal: documents done, their rate, how many
/// failed. Drawn over itself with a carriage return, first after `delay` and then at most
/// every `interval`; a message printed meanwhile clears it first. Off the terminal, silent.
class Progress {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    Progress(std::ostream& err, bool terminal, Clock clock = &std::chrono::steady_clock::now,
             std::chrono::milliseconds delay = std::chrono::milliseconds(1000),
             std::chrono::milliseconds interval = std::chrono::milliseconds(250));
    ~Progress();

    /// One more document finished.
    void done(bool failed);
    /// Before anything else is written to the same stream.
    void clear();

private:
    void draw();

    std::ostream& err_;
    bool terminal_;
    Clock clock_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point nextDraw_;
    std::chrono::milliseconds interval_;
    std::size_t documents_ = 0;
    std::size_t failed_ = 0;
    bool shown_ = false;
};

} // namespace richmarkup::tool
