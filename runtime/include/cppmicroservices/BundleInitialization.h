#ifndef US_BUNDLE_NAME
#error Missing US_BUNDLE_NAME preprocessor define
#endif

#ifndef CPPMICROSERVICES_BUNDLEINITIALIZATION_H
#define CPPMICROSERVICES_BUNDLEINITIALIZATION_H

#include "cppmicroservices/GlobalConfig.h"

#include <atomic>

namespace cppmicroservices {
class BundleContextPrivate;
}

/**
 * Defines the bundle's context variable and its two accessors. Put it in exactly one
 * source file of a bundle compiled with US_BUNDLE_NAME set to the bundle's symbolic name.
 *
 * The framework calls the exported setter (found by name through dlsym) when it starts
 * the bundle, and with nullptr when it stops it. The getter stays local to the bundle.
 */
#define CPPMICROSERVICES_INITIALIZE_BUNDLE                                                                             \
  std::atomic<cppmicroservices::BundleContextPrivate*> US_CTX_INS(US_BUNDLE_NAME){nullptr};                            \
                                                                                                                       \
  extern "C" cppmicroservices::BundleContextPrivate* US_GET_CTX_FUNC(US_BUNDLE_NAME)();                                \
  extern "C" cppmicroservices::BundleContextPrivate* US_GET_CTX_FUNC(US_BUNDLE_NAME)()                                 \
  {                                                                                                                    \
    return US_CTX_INS(US_BUNDLE_NAME).load();                                                                          \
  }                                                                                                                    \
                                                                                                                       \
  extern "C" US_ABI_EXPORT void US_SET_CTX_FUNC(US_BUNDLE_NAME)(cppmicroservices::BundleContextPrivate * ctx);         \
  extern "C" US_ABI_EXPORT void US_SET_CTX_FUNC(US_BUNDLE_NAME)(cppmicroservices::BundleContextPrivate * ctx)          \
  {                                                                                                                    \
    US_CTX_INS(US_BUNDLE_NAME).exchange(ctx);                                                                          \
  }

#endif // CPPMICROSERVICES_BUNDLEINITIALIZATION_H
