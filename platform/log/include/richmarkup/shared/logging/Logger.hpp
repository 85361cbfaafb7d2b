#pragma once

#include <foundation/log/basic_diagnostic_logger.hpp>

namespace richmarkup::shared::logging {

/// The one logger every builder writes to. All levels start disabled; the host enables
/// the ones it wants (level 8 carries the builders' step-by-step records).
foundation::log::basic_diagnostic_logger<char>& getLogger();

} // namespace richmarkup::shared::logging
