#pragma once

#include "Logger.hpp"

#include <boost/log/core/record.hpp>
#include <boost/log/sources/record_ostream.hpp>

#include <exception>
#include <mutex>
#include <utility>

namespace richmarkup::shared::logging {

/// Writes the bundles' records: every one at builderRecordLevel on the shared logger, so a
/// host sees one trace of a whole build. Message pieces are produced by a callable so that
/// nothing of a disabled record (a type name, a count) is ever computed.
struct RecordWriter {
    static constexpr unsigned level = builderRecordLevel;

    static void write(char const* literal) {
        if (enabled()) {
            writeEnabled([literal](auto& stream) { stream << literal; });
        }
    }

    template <class Pieces>
    static void write(Pieces&& pieces) {
        if (enabled()) {
            writeEnabled(std::forward<Pieces>(pieces));
        }
    }

private:
    // Inlined where a record is written: a disabled record (the usual case) costs a load
    // and a branch there, not a call. The shared logger lives as long as the process, so it
    // is asked for once.
    static bool enabled() noexcept {
        static auto& logger = getLogger();
        return __builtin_expect(logger.isEnabled(level), 0);
    }

    template <class Pieces>
    [[gnu::noinline]] static void writeEnabled(Pieces&& pieces) {
        auto& logger = getLogger();
        if (!logger.core()->get_logging_enabled()) {
            return;
        }
        boost::log::record record;
        {
            std::lock_guard<std::mutex> lock(logger.mutex());
            logger.setSeverity(static_cast<int>(level));
            record = logger.openRecord();
        }
        if (!record) {
            return;
        }
        Pump pump(std::move(record));
        std::forward<Pieces>(pieces)(pump.stream());
    }

    // Pushes the record when the pieces are written, and drops it when an exception
    // began unwinding meanwhile (a half-written message is worse than none). The stream
    // comes from Boost.Log's per-thread pool, as its own logging macros take it: building
    // a fresh std::ostream for every record would cost more than the record itself.
    class Pump {
        using Provider = boost::log::aux::stream_provider<char>;

    public:
        explicit Pump(boost::log::record&& record)
            : record_(std::move(record)), compound_(Provider::allocate_compound(record_)),
              uncaught_(std::uncaught_exceptions()) {}
        Pump(Pump const&) = delete;
        Pump& operator=(Pump const&) = delete;
        ~Pump() {
            if (std::uncaught_exceptions() <= uncaught_) {
                compound_->stream.flush();
                compound_->stream.detach_from_record();
                getLogger().core()->push_record(std::move(record_));
            }
            Provider::release_compound(compound_);
        }
        boost::log::record_ostream& stream() noexcept { return compound_->stream; }

    private:
        boost::log::record record_;
        Provider::stream_compound* compound_;
        int uncaught_;
    };
};

} // namespace richmarkup::shared::logging
