#ifndef CPPMICROSERVICES_BUNDLE_H
#define CPPMICROSERVICES_BUNDLE_H

#include "cppmicroservices/Any.h"
#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/FrameworkConfig.h"
#include "cppmicroservices/ServiceReference.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace cppmicroservices {

class BundlePrivate;
class FrameworkPrivate;

namespace detail {
struct BundleAccess;
}

/**
 * An installed bundle: a shared library with its resource archive and manifest. A value
 * handle; copies refer to the same bundle and compare equal.
 */
class US_Framework_EXPORT Bundle
{
public:
  enum State : uint32_t
  {
    STATE_UNINSTALLED = 0x00000001,
    STATE_INSTALLED = 0x00000002,
    STATE_RESOLVED = 0x00000004,
    STATE_STARTING = 0x00000008,
    STATE_STOPPING = 0x00000010,
    STATE_ACTIVE = 0x00000020
  };

  enum StartOptions : uint32_t
  {
    START_TRANSIENT = 0x00000001,
    START_ACTIVATION_POLICY = 0x00000002
  };

  enum StopOptions : uint32_t
  {
    STOP_TRANSIENT = 0x00000001
  };

  using TimeStamp = std::chrono::steady_clock::time_point;

  /// An invalid bundle.
  Bundle();
  Bundle(Bundle const&);
  Bundle(Bundle&&) noexcept;
  Bundle& operator=(Bundle const&);
  Bundle& operator=(Bundle&&) noexcept;
  virtual ~Bundle();

  bool operator==(Bundle const& rhs) const;
  bool operator!=(Bundle const& rhs) const;
  /// Orders by bundle id; invalid bundles come last.
  bool operator<(Bundle const& rhs) const;

  explicit operator bool() const;
  Bundle& operator=(std::nullptr_t);

  State GetState() const;

  /// The bundle's context while it is starting, active or stopping; invalid otherwise.
  BundleContext GetBundleContext() const;

  /// 0 for the framework, then 1, 2, ... in install order.
  long GetBundleId() const;

  /// The library file the bundle was installed from ("System Bundle" for the framework).
  std::string GetLocation() const;

  /// The manifest's "bundle.symbolic_name".
  std::string GetSymbolicName() const;

  /// The manifest, keys compared case-insensitively.
  AnyMap const& GetHeaders() const;

  /// The manifest's values (CppMicroServices 2.x style access).
  std::map<std::string, Any> GetProperties() const;
  Any GetProperty(std::string const& key) const;
  std::vector<std::string> GetPropertyKeys() const;

  /// The services this bundle has registered and not yet unregistered.
  std::vector<ServiceReferenceU> GetRegisteredServices() const;

  /// The services this bundle has obtained through its context.
  std::vector<ServiceReferenceU> GetServicesInUse() const;

  TimeStamp GetLastModified() const;

  /**
   * Loads the library, hands it its context and activates its Declarative Services
   * components. Does nothing for an active bundle.
   * \throws std::runtime_error if the library cannot be loaded or the framework is not
   *         initialized; std::logic_error for an uninstalled bundle.
   */
  void Start(uint32_t options);
  void Start();

  /**
   * Deactivates the bundle's components, unregisters its services and invalidates its
   * context. Does nothing for a bundle that is not active.
   */
  void Stop(uint32_t options);
  void Stop();

  /// Stops the bundle and removes it from the framework.
  void Uninstall();

protected:
  friend struct detail::BundleAccess;

  Bundle(std::shared_ptr<BundlePrivate> bundle, std::shared_ptr<FrameworkPrivate> framework);

  std::shared_ptr<BundlePrivate> d;
  std::shared_ptr<FrameworkPrivate> c; // keeps the framework alive while a handle exists
};

US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, Bundle::State state);
US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, Bundle const& bundle);

} // namespace cppmicroservices

namespace std {
template <>
struct hash<cppmicroservices::Bundle>
{
  std::size_t operator()(cppmicroservices::Bundle const& bundle) const
  {
    return std::hash<long>()(bundle ? bundle.GetBundleId() : -1L);
  }
};
} // namespace std

#endif // CPPMICROSERVICES_BUNDLE_H
