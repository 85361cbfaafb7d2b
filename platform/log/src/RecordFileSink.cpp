#include <richmarkup/shared/logging/RecordFileSink.hpp>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include <cstring>
#include <string>
#include <string_view>

namespace richmarkup::shared::logging {

namespace {

// The frontend serialises calls, so the backend needs no lock of its own.
class LineBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
public:
    explicit LineBackend(std::ostream& out) : out_(out) {}

    void consume(boost::log::record_view const& record) {
        auto const message =
            boost::log::extract<std::string>(boost::log::expressions::smessage.get_name(), record.attribute_values());
        line_.clear();
        if (message) {
            // Copied in runs between line breaks, found with memchr: a message without one
            // (nearly all) is one copy.
            std::string_view rest = *message;
            for (std::size_t at = nextBreak(rest); at != std::string_view::npos; at = nextBreak(rest)) {
                line_.append(rest.data(), at);
                line_ += rest[at] == '\n' ? "\\n" : "\\r";
                rest.remove_prefix(at + 1);
            }
            line_.append(rest.data(), rest.size());
        }
        line_.push_back('\n');
        out_.write(line_.data(), static_cast<std::streamsize>(line_.size())); // one write a record
    }

    void flush() { out_.flush(); }

private:
    // Where the first line feed or carriage return stands, or npos.
    static std::size_t nextBreak(std::string_view text) noexcept {
        auto const* lf = static_cast<char const*>(std::memchr(text.data(), '\n', text.size()));
        std::size_t const before = lf ? static_cast<std::size_t>(lf - text.data()) : text.size();
        auto const* cr = static_cast<char const*>(std::memchr(text.data(), '\r', before));
        return cr ? static_cast<std::size_t>(cr - text.data()) : lf ? before : std::string_view::npos;
    }

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

} // namespace richmarkup::shared::logging
