#ifndef US_BUNDLE_NAME
#error Missing US_BUNDLE_NAME preprocessor define
#endif

#ifndef CPPMICROSERVICES_GETBUNDLECONTEXT_H
#define CPPMICROSERVICES_GETBUNDLECONTEXT_H

#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/GlobalConfig.h"

namespace cppmicroservices {
class BundleContextPrivate;
}

// Defined by CPPMICROSERVICES_INITIALIZE_BUNDLE in one source file of the bundle.
extern "C" cppmicroservices::BundleContextPrivate* US_GET_CTX_FUNC(US_BUNDLE_NAME)();

namespace cppmicroservices {

/// The calling bundle's own context; invalid while the bundle is not started.
static inline BundleContext GetBundleContext()
{
  return MakeBundleContext(US_GET_CTX_FUNC(US_BUNDLE_NAME)());
}

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_GETBUNDLECONTEXT_H
