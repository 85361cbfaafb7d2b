#ifndef CPPMICROSERVICES_SERVICEREFERENCEBASE_H
#define CPPMICROSERVICES_SERVICEREFERENCEBASE_H

#include "cppmicroservices/Any.h"
#include "cppmicroservices/FrameworkConfig.h"

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

namespace cppmicroservices {

class Bundle;
class ServiceRegistrationBasePrivate;

namespace detail {
struct ReferenceAccess;
struct InterfaceSlot;
} // namespace detail

/**
 * A reference to a registered service, not bound to a C++ type; ServiceReference<S> adds
 * the type. Copies are cheap (one shared pointer) and compare equal when they refer to
 * the same registration.
 */
class US_Framework_EXPORT ServiceReferenceBase
{
public:
  ServiceReferenceBase(ServiceReferenceBase const& ref);
  ServiceReferenceBase(ServiceReferenceBase&& ref) noexcept;
  ~ServiceReferenceBase();

  /// False for a reference that refers to no registration.
  explicit operator bool() const;

  /// Makes this reference invalid.
  ServiceReferenceBase& operator=(std::nullptr_t);

  ServiceReferenceBase& operator=(ServiceReferenceBase const& reference);
  ServiceReferenceBase& operator=(ServiceReferenceBase&& reference) noexcept;

  /// The property under key (compared case-insensitively), or an empty Any.
  Any GetProperty(std::string const& key) const;

  void GetPropertyKeys(std::vector<std::string>& keys) const;
  std::vector<std::string> GetPropertyKeys() const;

  /// The bundle that registered the service; invalid once the service is unregistered.
  Bundle GetBundle() const;

  /// Bundles that have obtained the service object through their context.
  std::vector<Bundle> GetUsingBundles() const;

  /// The interface id this reference was obtained for ("" when none in particular).
  std::string GetInterfaceId() const;

  /// Whether the service was registered under interfaceid.
  bool IsConvertibleTo(std::string const& interfaceid) const;

  /**
   * Orders by service ranking, then by service id: a reference is less than another
   * when its ranking is lower, or when the rankings are equal and its id is higher. The
   * best service is therefore the greatest.
   */
  bool operator<(ServiceReferenceBase const& reference) const;

  bool operator==(ServiceReferenceBase const& reference) const;
  bool operator!=(ServiceReferenceBase const& reference) const { return !(*this == reference); }

  std::size_t Hash() const;

protected:
  ServiceReferenceBase();

  /// True when the reference was obtained for exactly interfaceId. Allocates nothing.
  bool HasInterfaceId(std::string const& interfaceId) const noexcept;

  /// Binds the reference to interfaceId; false when the service was not registered under it.
  bool SelectInterface(std::string const& interfaceId);

private:
  friend struct detail::ReferenceAccess;

  ServiceReferenceBase(std::shared_ptr<ServiceRegistrationBasePrivate> registration,
                       detail::InterfaceSlot const* slot) noexcept;

  std::shared_ptr<ServiceRegistrationBasePrivate> d;
  detail::InterfaceSlot const* slot; // one of d's interfaces, or nullptr
};

US_Framework_EXPORT std::ostream& operator<<(std::ostream& os, ServiceReferenceBase const& serviceRef);

} // namespace cppmicroservices

namespace std {
template <>
struct hash<cppmicroservices::ServiceReferenceBase>
{
  std::size_t operator()(cppmicroservices::ServiceReferenceBase const& ref) const { return ref.Hash(); }
};
} // namespace std

#endif // CPPMICROSERVICES_SERVICEREFERENCEBASE_H
