#ifndef CPPMICROSERVICES_SERVICECOMPONENT_EXPORT_H
#define CPPMICROSERVICES_SERVICECOMPONENT_EXPORT_H

// The component classes live in the runtime library; bundles built with hidden
// visibility must still see one definition of them.
#define US_ServiceComponent_EXPORT __attribute__((visibility("default")))

#endif // CPPMICROSERVICES_SERVICECOMPONENT_EXPORT_H
