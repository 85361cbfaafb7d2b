#include <richmarkup/shared/logging/Logger.hpp>

namespace richmarkup::shared::logging {

foundation::log::basic_diagnostic_logger<char>& getLogger() {
    // Lives in this shared library so that every bundle and the host see the same one.
    static foundation::log::basic_diagnostic_logger<char> logger;
    return logger;
}

} // namespace richmarkup::shared::logging
