#pragma once

#include <richmarkup/shared/logging/Logger.hpp>

#include <boost/log/core/record.hpp>
#include <boost/log/sources/record_ostream.hpp>

#include <mutex>
#include <utility>

namespace richmarkup::build::json::code {

/// Writes this bundle's records: every one at severity 8 on the shared logger, as the
/// other richmarkup bundles do, so that a host sees one trace of a whole build. Message
/// pieces come from a callable, so nothing of a disabled record is computed.
struct RecordWriter {
    static constexpr unsigned level = 8;

    static void write(char const* literal) {
        write([literal](auto& stream) { stream << literal; });
    }

    template <class Pieces>
    static void write(Pieces&& pieces) {
        auto& logger = richmarkup::shared::logging::getLogger();
        if (!logger.isEnabled(level) || !logger.core()->get_logging_enabled()) {
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
        // Pieces that throw leave before the push: a half-written message is worse than none.
        boost::log::record_ostream stream(record);
        std::forward<Pieces>(pieces)(stream);
        stream.flush();
        stream.detach_from_record();
        logger.core()->push_record(std::move(record));
    }
};

} // namespace richmarkup::build::json::code
