#include <foundation/log/basic_diagnostic_logger.hpp>

namespace foundation::log {

template <class CharT>
basic_diagnostic_logger<CharT>::basic_diagnostic_logger() : core_(boost::log::core::get()), severity_(0) {
    attributes_.insert(severityAttributeName, severity_);
}

template class basic_diagnostic_logger<char>;

} // namespace foundation::log
