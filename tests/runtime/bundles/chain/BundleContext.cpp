#include <cppmicroservices/BundleInitialization.h>

CPPMICROSERVICES_INITIALIZE_BUNDLE
