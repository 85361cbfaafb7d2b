#include "LineFileSink.hpp"

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include <stdexcept>

namespace richmarkup::bench {

namespace {

struct Counts {
    std::size_t records = 0;
    std::size_t bytes = 0;
};

// The frontend serialises calls, so the backend needs no lock of its own.
class LineBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
public:
    LineBackend(std::ofstream& out, Counts& counts) : out_(out), counts_(counts) {}

    void consume(boost::log::record_view const& record) {
        auto const message = boost::log::extract<std::string>(boost::log::expressions::smessage.get_name(),
                                                              record.attribute_values());
        line_.clear();
        if (message) {
            // One record, one line: line breaks inside a message are written escaped.
            for (char const c : *message) {
                switch (c) {
                case '\n': line_ += "\\n"; break;
                case '\r': line_ += "\\r"; break;
                default: line_.push_back(c);
                }
            }
        }
        line_.push_back('\n');
        out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
        ++counts_.records;
        counts_.bytes += line_.size();
    }

private:
    std::ofstream& out_;
    Counts& counts_;
    std::string line_;
};

using LineSink = boost::log::sinks::synchronous_sink<LineBackend>;

} // namespace

struct LineFileSink::State {
    std::ofstream out;
    Counts counts;
    boost::shared_ptr<LineSink> sink;
};

LineFileSink::LineFileSink(std::string const& path) : state_(std::make_unique<State>()) {
    state_->out.open(path, std::ios::binary | std::ios::trunc);
    if (!state_->out) {
        throw std::runtime_error("cannot write " + path);
    }
    state_->sink = boost::make_shared<LineSink>(boost::make_shared<LineBackend>(state_->out, state_->counts));
    boost::log::core::get()->add_sink(state_->sink);
}

LineFileSink::~LineFileSink() {
    boost::log::core::get()->remove_sink(state_->sink);
    state_->out.flush();
}

void LineFileSink::rewind() {
    state_->out.flush();
    state_->out.seekp(0);
}

std::size_t LineFileSink::records() const noexcept { return state_->counts.records; }
std::size_t LineFileSink::bytes() const noexcept { return state_->counts.bytes; }

} // namespace richmarkup::bench
