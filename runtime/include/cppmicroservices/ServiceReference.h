#ifndef CPPMICROSERVICES_SERVICEREFERENCE_H
#define CPPMICROSERVICES_SERVICEREFERENCE_H

#include "cppmicroservices/ServiceInterface.h"
#include "cppmicroservices/ServiceReferenceBase.h"

#include <utility>

namespace cppmicroservices {

namespace detail {
/// Marks a reference that a lookup by the interface's own id produced.
struct FoundUnderInterface
{};
} // namespace detail

/**
 * A reference to a service registered under interface S. Converting a reference of
 * another interface keeps it only when the service was registered under S as well;
 * otherwise the result is invalid.
 */
template <class S>
class ServiceReference : public ServiceReferenceBase
{
public:
  using ServiceType = S;

  /// An invalid reference.
  ServiceReference() : ServiceReferenceBase() {}

  ServiceReference(ServiceReference const&) = default;
  ServiceReference(ServiceReference&&) noexcept = default;
  ServiceReference& operator=(ServiceReference const&) = default;
  ServiceReference& operator=(ServiceReference&&) noexcept = default;

  ServiceReference(ServiceReferenceBase const& base) : ServiceReferenceBase(base) { BindInterface(); }
  ServiceReference(ServiceReferenceBase&& base) : ServiceReferenceBase(std::move(base)) { BindInterface(); }
  /// For a reference the registry found under S's own interface id: already bound to it.
  ServiceReference(ServiceReferenceBase&& base, detail::FoundUnderInterface) noexcept
      : ServiceReferenceBase(std::move(base))
  {}

  using ServiceReferenceBase::operator=;
  using ServiceReferenceBase::operator==;
  using ServiceReferenceBase::Hash;

private:
  void BindInterface()
  {
    // The cached id and the pointer test keep this free of allocations: lookups build
    // one of these per matching service.
    std::string const& interfaceId = detail::ServiceInterfaceId<S>();
    if (*this && !HasInterfaceId(interfaceId) && !SelectInterface(interfaceId)) {
      ServiceReferenceBase::operator=(nullptr);
    }
  }
};

/// A reference not bound to an interface type.
template <>
class ServiceReference<void> : public ServiceReferenceBase
{
public:
  using ServiceType = void;

  ServiceReference() : ServiceReferenceBase() {}
  ServiceReference(ServiceReference const&) = default;
  ServiceReference(ServiceReference&&) noexcept = default;
  ServiceReference& operator=(ServiceReference const&) = default;
  ServiceReference& operator=(ServiceReference&&) noexcept = default;

  ServiceReference(ServiceReferenceBase const& base) : ServiceReferenceBase(base) {}
  ServiceReference(ServiceReferenceBase&& base, detail::FoundUnderInterface) noexcept
      : ServiceReferenceBase(std::move(base))
  {}

  using ServiceReferenceBase::operator=;
  using ServiceReferenceBase::operator==;
  using ServiceReferenceBase::Hash;
};

using ServiceReferenceU = ServiceReference<void>;

} // namespace cppmicroservices

namespace std {
template <class S>
struct hash<cppmicroservices::ServiceReference<S>>
{
  std::size_t operator()(cppmicroservices::ServiceReference<S> const& ref) const { return ref.Hash(); }
};
} // namespace std

#endif // CPPMICROSERVICES_SERVICEREFERENCE_H
