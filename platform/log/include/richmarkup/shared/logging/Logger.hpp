#pragma once

#include <foundation/log/basic_diagnostic_logger.hpp>
#include <richmarkup/shared/logging/Export.hpp>

namespace richmarkup::shared::logging {

/// The level of the builders' step-by-step records (8): what a host enables to see them.
inline constexpr unsigned builderRecordLevel = foundation::log::level::debug;

/// The one logger every builder writes to. All levels start disabled; the host enables
/// the ones it wants (builderRecordLevel for the builders' records).
RICHMARKUP_LOG_EXPORT foundation::log::basic_diagnostic_logger<char>& getLogger();

} // namespace richmarkup::shared::logging
