#pragma once

#include <foundation/cppmicroservices/Export.hpp>

#include <memory>

namespace cppmicroservices {
class Framework;
}

namespace foundation::cppmicroservices {

/// The framework the host runs, or an empty pointer when none runs. Builders that look
/// services up at build time go through it, not through their own bundle's context.
RICHMARKUP_FRAMEWORK_ACCESS_EXPORT std::shared_ptr<::cppmicroservices::Framework> getFramework();

/// Set by the host once its framework has started; an empty pointer clears it.
RICHMARKUP_FRAMEWORK_ACCESS_EXPORT void setFramework(std::shared_ptr<::cppmicroservices::Framework> framework);

} // namespace foundation::cppmicroservices
