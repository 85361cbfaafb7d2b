#ifndef CPPMICROSERVICES_CONSTANTS_H
#define CPPMICROSERVICES_CONSTANTS_H

#include "cppmicroservices/FrameworkConfig.h"

#include <string>

namespace cppmicroservices {

/// Names of framework properties, service properties and manifest headers.
namespace Constants {

US_Framework_EXPORT extern std::string const SYSTEM_BUNDLE_LOCATION;     // "System Bundle"
US_Framework_EXPORT extern std::string const SYSTEM_BUNDLE_SYMBOLICNAME; // "system_bundle"

// Manifest headers (Bundle::GetHeaders()).
US_Framework_EXPORT extern std::string const BUNDLE_ACTIVATOR;                     // "bundle.activator" (bool)
US_Framework_EXPORT extern std::string const BUNDLE_CATEGORY;                      // "bundle.category"
US_Framework_EXPORT extern std::string const BUNDLE_COPYRIGHT;                     // "bundle.copyright"
US_Framework_EXPORT extern std::string const BUNDLE_DESCRIPTION;                   // "bundle.description"
US_Framework_EXPORT extern std::string const BUNDLE_MANIFESTVERSION;               // "bundle.manifest_version"
US_Framework_EXPORT extern std::string const BUNDLE_NAME;                          // "bundle.name"
US_Framework_EXPORT extern std::string const BUNDLE_VENDOR;                        // "bundle.vendor"
US_Framework_EXPORT extern std::string const BUNDLE_VERSION;                       // "bundle.version"
US_Framework_EXPORT extern std::string const BUNDLE_DOCURL;                        // "bundle.doc_url"
US_Framework_EXPORT extern std::string const BUNDLE_CONTACTADDRESS;                // "bundle.contact_address"
US_Framework_EXPORT extern std::string const BUNDLE_SYMBOLICNAME;                  // "bundle.symbolic_name"
US_Framework_EXPORT extern std::string const BUNDLE_LOCALIZATION;                  // "bundle.localization"
US_Framework_EXPORT extern std::string const BUNDLE_LOCALIZATION_DEFAULT_BASENAME; // "US-INF/l10n/bundle"
US_Framework_EXPORT extern std::string const BUNDLE_ACTIVATIONPOLICY;              // "bundle.activation_policy"
US_Framework_EXPORT extern std::string const ACTIVATION_LAZY;                      // "lazy"

// Framework properties.
US_Framework_EXPORT extern std::string const FRAMEWORK_VERSION;       // "org.cppmicroservices.framework.version"
US_Framework_EXPORT extern std::string const FRAMEWORK_VENDOR;        // "org.cppmicroservices.framework.vendor"
US_Framework_EXPORT extern std::string const FRAMEWORK_STORAGE;       // "org.cppmicroservices.framework.storage"
US_Framework_EXPORT extern std::string const FRAMEWORK_STORAGE_CLEAN; // "org.cppmicroservices.framework.storage.clean"
US_Framework_EXPORT extern std::string const FRAMEWORK_STORAGE_CLEAN_ONFIRSTINIT; // "onFirstInit"
US_Framework_EXPORT extern std::string const
  FRAMEWORK_THREADING_SUPPORT; // "org.cppmicroservices.framework.threading.support"
US_Framework_EXPORT extern std::string const FRAMEWORK_THREADING_SINGLE; // "single"
US_Framework_EXPORT extern std::string const FRAMEWORK_THREADING_MULTI;  // "multi"
US_Framework_EXPORT extern std::string const FRAMEWORK_LOG;              // "org.cppmicroservices.framework.log"
US_Framework_EXPORT extern std::string const FRAMEWORK_UUID;             // "org.cppmicroservices.framework.uuid"
US_Framework_EXPORT extern std::string const FRAMEWORK_WORKING_DIR;      // "org.cppmicroservices.framework.working.dir"
US_Framework_EXPORT extern std::string const
  FRAMEWORK_BUNDLE_VALIDATION_FUNC; // "org.cppmicroservices.framework.bundle.validation.function"

// Service properties.
US_Framework_EXPORT extern std::string const OBJECTCLASS;          // "objectclass" (std::vector<std::string>)
US_Framework_EXPORT extern std::string const SERVICE_ID;           // "service.id" (long)
US_Framework_EXPORT extern std::string const SERVICE_PID;          // "service.pid"
US_Framework_EXPORT extern std::string const SERVICE_RANKING;      // "service.ranking" (int, default 0)
US_Framework_EXPORT extern std::string const SERVICE_VENDOR;       // "service.vendor"
US_Framework_EXPORT extern std::string const SERVICE_DESCRIPTION;  // "service.description"
US_Framework_EXPORT extern std::string const SERVICE_SCOPE;        // "service.scope"
US_Framework_EXPORT extern std::string const SCOPE_SINGLETON;      // "singleton"
US_Framework_EXPORT extern std::string const SCOPE_BUNDLE;         // "bundle"
US_Framework_EXPORT extern std::string const SCOPE_PROTOTYPE;      // "prototype"
US_Framework_EXPORT extern std::string const LIBRARY_LOAD_OPTIONS; // "org.cppmicroservices.library.load.options"

} // namespace Constants
} // namespace cppmicroservices

#endif // CPPMICROSERVICES_CONSTANTS_H
