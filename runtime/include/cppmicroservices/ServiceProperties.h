#ifndef CPPMICROSERVICES_SERVICEPROPERTIES_H
#define CPPMICROSERVICES_SERVICEPROPERTIES_H

#include "cppmicroservices/Any.h"
#include "cppmicroservices/AnyMap.h"

namespace cppmicroservices {

/// Properties passed to BundleContext::RegisterService: keys compare case-insensitively,
/// as filters look them up.
using ServiceProperties = any_map::unordered_any_cimap;

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_SERVICEPROPERTIES_H
