#pragma once

#include <richmarkup/host/Export.hpp>

#include <stdexcept>
#include <string>

namespace richmarkup::host {

/// The host could not be set up: a bundle was not found, or failed to install or start.
/// The text is the runtime's own where the runtime reported the failure.
class RICHMARKUP_HOST_EXPORT HostError : public std::runtime_error {
public:
    explicit HostError(std::string const& message) : std::runtime_error(message) {}
};

} // namespace richmarkup::host
