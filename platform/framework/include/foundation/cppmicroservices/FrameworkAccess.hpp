#pragma once

#include <memory>

namespace cppmicroservices {
class Framework;
}

namespace foundation::cppmicroservices {

/// The framework the host runs, or an empty pointer when none runs. Builders that look
/// services up at build time go through it, not through their own bundle's context.
std::shared_ptr<::cppmicroservices::Framework> getFramework();

/// Set by the host once its framework has started; an empty pointer clears it.
void setFramework(std::shared_ptr<::cppmicroservices::Framework> framework);

} // namespace foundation::cppmicroservices
