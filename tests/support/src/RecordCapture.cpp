#include <richmarkup/test/RecordCapture.hpp>

#include <richmarkup/shared/logging/Logger.hpp>

#include <boost/log/attributes/value_extraction.hpp>
#include <boost/log/core/core.hpp>
#include <boost/log/expressions/message.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/sync_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

namespace richmarkup::test {

struct RecordCapture::State {
    mutable std::mutex mutex;
    std::vector<std::string> messages;
    std::vector<int> severities;
};

namespace {

class CaptureBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::synchronized_feeding> {
public:
    explicit CaptureBackend(boost::shared_ptr<RecordCapture::State> state) : state_(std::move(state)) {}

    void consume(boost::log::record_view const& record) {
        auto message =
            boost::log::extract<std::string>(boost::log::expressions::smessage.get_name(), record.attribute_values());
        auto severity = boost::log::extract<int>(foundation::log::severityAttributeName, record.attribute_values());
        std::lock_guard<std::mutex> lock(state_->mutex);
        state_->messages.push_back(message ? *message : std::string());
        state_->severities.push_back(severity ? *severity : -1);
    }

private:
    boost::shared_ptr<RecordCapture::State> state_;
};

} // namespace

RecordCapture::RecordCapture() : state_(boost::make_shared<State>()) {
    using Sink = boost::log::sinks::synchronous_sink<CaptureBackend>;
    auto sink = boost::make_shared<Sink>(boost::make_shared<CaptureBackend>(state_));
    sink_ = sink;
    boost::log::core::get()->add_sink(sink);
    auto& logger = richmarkup::shared::logging::getLogger();
    savedMask_ = logger.mask();
    logger.enable(foundation::log::level::debug);
}

RecordCapture::~RecordCapture() {
    richmarkup::shared::logging::getLogger().setMask(savedMask_);
    boost::log::core::get()->remove_sink(sink_);
}

std::vector<std::string> RecordCapture::messages() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->messages;
}

std::vector<int> RecordCapture::severities() const {
    std::lock_guard<std::mutex> lock(state_->mutex);
    return state_->severities;
}

void RecordCapture::clear() {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->messages.clear();
    state_->severities.clear();
}

} // namespace richmarkup::test
