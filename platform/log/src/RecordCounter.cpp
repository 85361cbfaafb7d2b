#include <richmarkup/shared/logging/RecordCounter.hpp>

#include <boost/log/core/core.hpp>
#include <boost/log/sinks/basic_sink_backend.hpp>
#include <boost/log/sinks/unlocked_frontend.hpp>
#include <boost/smart_ptr/make_shared_object.hpp>

#include <atomic>

namespace richmarkup::shared::logging {

namespace {

class CountingBackend : public boost::log::sinks::basic_sink_backend<boost::log::sinks::concurrent_feeding> {
public:
    void consume(boost::log::record_view const&) { count_.fetch_add(1, std::memory_order_relaxed); }
    std::size_t count() const noexcept { return count_.load(std::memory_order_relaxed); }

private:
    std::atomic<std::size_t> count_{0};
};

using CountingSink = boost::log::sinks::unlocked_sink<CountingBackend>;

} // namespace

struct RecordCounter::State {
    boost::shared_ptr<CountingBackend> backend = boost::make_shared<CountingBackend>();
    boost::shared_ptr<CountingSink> sink = boost::make_shared<CountingSink>(backend);
};

RecordCounter::RecordCounter() : state_(std::make_unique<State>()) { boost::log::core::get()->add_sink(state_->sink); }

RecordCounter::~RecordCounter() { boost::log::core::get()->remove_sink(state_->sink); }

std::size_t RecordCounter::count() const noexcept { return state_->backend->count(); }

} // namespace richmarkup::shared::logging
