#include "Progress.hpp"

#include <iomanip>
#include <sstream>

namespace richmarkup::tool {

Progress::Progress(std::ostream& err, bool terminal, Clock clock, std::chrono::milliseconds delay,
                   std::chrono::milliseconds interval)
    : err_(err), terminal_(terminal), clock_(std::move(clock)), interval_(interval) {
    if (terminal_) {
        start_ = clock_();
        nextDraw_ = start_ + delay;
    }
}

Progress::~Progress() { clear(); }

void Progress::done(bool failed) {
    ++documents_;
    failed_ += failed ? 1 : 0;
    if (terminal_ && clock_() >= nextDraw_) {
        draw();
    }
}

void Progress::clear() {
    if (shown_) {
        err_ << "\r\033[K" << std::flush;
        shown_ = false;
    }
}

void Progress::draw() {
    auto const now = clock_();
    double const seconds = std::chrono::duration<double>(now - start_).count();
    std::ostringstream line;
    line << '\r' << documents_ << " documents, " << std::fixed << std::setprecision(0)
         << (seconds > 0 ? static_cast<double>(documents_) / seconds : 0.0) << "/s, " << failed_ << " failed\033[K";
    err_ << line.str() << std::flush;
    shown_ = true;
    nextDraw_ = now + interval_;
}

} // namespace richmarkup::tool
