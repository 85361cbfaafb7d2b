#ifndef CPPMICROSERVICES_GLOBALCONFIG_H
#define CPPMICROSERVICES_GLOBALCONFIG_H

#include "cppmicroservices/FrameworkConfig.h"

// Bundles are built with hidden visibility; only what carries US_ABI_EXPORT (the
// component factories and the context setter) is found by the runtime through dlsym.
#define US_ABI_EXPORT __attribute__((visibility("default")))
#define US_ABI_IMPORT __attribute__((visibility("default")))
#define US_ABI_LOCAL __attribute__((visibility("hidden")))

#define US_STR_(x) #x
#define US_STR(x) US_STR_(x)

// Two levels so that macro arguments such as US_BUNDLE_NAME are expanded first.
#define US_CONCAT_(a, b) a##b
#define US_CONCAT(a, b) US_CONCAT_(a, b)

// Per-bundle symbol names derived from the bundle's name.
#define US_CTX_INS(name) US_CONCAT(_us_bundle_context_instance_, name)
#define US_GET_CTX_FUNC(name) US_CONCAT(_us_get_bundle_context_instance_, name)
#define US_SET_CTX_FUNC(name) US_CONCAT(_us_set_bundle_context_instance_, name)
#define US_CREATE_ACTIVATOR_FUNC(name) US_CONCAT(_us_create_activator_, name)
#define US_DESTROY_ACTIVATOR_FUNC(name) US_CONCAT(_us_destroy_activator_, name)

#define US_UNUSED(x) (void)(x)

#endif // CPPMICROSERVICES_GLOBALCONFIG_H
