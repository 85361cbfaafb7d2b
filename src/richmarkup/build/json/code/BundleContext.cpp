// The bundle's context variable and the setter the framework calls on start and stop.
// Nothing in the bundle reads it: the registry queries services through the host's
// running framework instead.
#include <cppmicroservices/BundleInitialization.h>

CPPMICROSERVICES_INITIALIZE_BUNDLE
