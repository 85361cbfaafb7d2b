#include <richmarkup/host/RecordFileSink.hpp>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include <algorithm>
#include <string>

namespace richmarkup::host {

namespace {

// The frontend serialises calls, so the backend needs no lock of its own.
class LineBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
public:
    explicit LineBackend(std::ostream& out) : out_(out) {}

    void consume(boost::log::record_view const& record) {
        auto const message = boost::log::extract<std::string>(boost::log::expressions::smessage.get_name(),
                                                              record.attribute_values());
        line_.clear();
        if (message) {
            std::string const& text = *message;
            // Copied in runs between line breaks: a message without one is one append.
            // (find_first_of with a set calls memchr per character: a plain test is cheaper.)
            auto const isBreak = [](char c) { return c == '\n' || c == '\r'; };
            auto from = text.begin();
            for (auto at = std::find_if(from, text.end(), isBreak); at != text.end();
                 at = std::find_if(from, text.end(), isBreak)) {
                line_.append(from, at);
                line_ += *at == '\n' ? "\\n" : "\\r";
                from = at + 1;
            }
            line_.append(from, text.end());
        }
        line_.push_back('\n');
        out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));  // one write a record
    }

    void flush() { out_.flush(); }

private:
    std::ostream& out_;
    std::string line_;
};

using LineSink = boost::log::sinks::synchronous_sink<LineBackend>;

} // namespace

struct RecordFileSink::State {
    boost::shared_ptr<LineSink> sink;
};

RecordFileSink::RecordFileSink(std::ostream& out) : state_(std::make_unique<State>()) {
    state_->sink = boost::make_shared<LineSink>(boost::make_shared<LineBackend>(out));
    boost::log::core::get()->add_sink(state_->sink);
}

RecordFileSink::~RecordFileSink() {
    boost::log::core::get()->remove_sink(state_->sink);
    state_->sink->flush();
}

void RecordFileSink::flush() { state_->sink->flush(); }

} // namespace richmarkup::host
