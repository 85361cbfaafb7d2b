#include "cppmicroservices/ServiceFactory.h"

namespace cppmicroservices {

// Out of line so that the vtable and type info live in the runtime library only.
ServiceFactory::~ServiceFactory() = default;

} // namespace cppmicroservices
