#ifndef CPPMICROSERVICES_FRAMEWORKCONFIG_H
#define CPPMICROSERVICES_FRAMEWORKCONFIG_H

// Symbols of the runtime library stay visible even when a bundle that includes these
// headers is compiled with hidden visibility: exception types and the Any holders must
// keep one identity across the process.
#define US_Framework_EXPORT __attribute__((visibility("default")))
#define US_Framework_IMPORT __attribute__((visibility("default")))

#define CppMicroServices_VERSION_MAJOR 3
#define CppMicroServices_VERSION_MINOR 8
#define CppMicroServices_VERSION_PATCH 0
#define CppMicroServices_VERSION_STR "3.8.0"

#define US_PLATFORM_POSIX 1
#define US_PLATFORM_LINUX 1
#define US_ENABLE_THREADING_SUPPORT 1

#endif // CPPMICROSERVICES_FRAMEWORKCONFIG_H
