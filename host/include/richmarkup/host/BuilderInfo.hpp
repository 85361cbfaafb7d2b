#pragma once

#include <optional>
#include <string>

namespace richmarkup::host {

/// One registered builder service, as the framework lists it.
struct BuilderInfo {
    /// The service interface it was found under, e.g. "richmarkup::build::json::NodeBuilder".
    std::string interfaceName;
    /// Its "test_id" property, when it has one.
    std::optional<std::string> testId;
    /// Its "component.name" property; empty for a service that no component registered.
    std::string componentName;
};

} // namespace richmarkup::host
