#include "cppmicroservices/ServiceObjects.h"

#include "framework/BundleContextPrivate.hpp"

namespace cppmicroservices {

ServiceObjectsBase::ServiceObjectsBase(std::shared_ptr<BundleContextPrivate> const& ctx,
                                       ServiceReferenceBase const& ref)
    : context(ctx), reference(ref)
{
  if (!reference) {
    throw std::invalid_argument("The service reference is invalid");
  }
}

ServiceObjectsBase::ServiceObjectsBase(ServiceObjectsBase&& other) noexcept = default;
ServiceObjectsBase& ServiceObjectsBase::operator=(ServiceObjectsBase&& other) noexcept = default;
ServiceObjectsBase::~ServiceObjectsBase() = default;

void ServiceObjectsBase::GetService(detail::ObjectSink take, void* typed) const
{
  if (!context) {
    BundleContextPrivate::ThrowInvalid();
  }
  context->GetServiceObject(reference, true, take, typed);
}

InterfaceMapConstPtr ServiceObjectsBase::GetServiceInterfaceMap() const
{
  if (!context) {
    BundleContextPrivate::ThrowInvalid();
  }
  return context->GetServiceMap(reference, true);
}

ServiceReferenceBase ServiceObjectsBase::GetReference() const
{
  return reference;
}

ServiceObjects<void>::ServiceObjects(std::shared_ptr<BundleContextPrivate> const& ctx, ServiceReferenceU const& ref)
    : ServiceObjectsBase(ctx, ref)
{}

ServiceObjects<void>::ServiceObjects(ServiceObjects&& other) noexcept = default;
ServiceObjects<void>& ServiceObjects<void>::operator=(ServiceObjects&& other) noexcept = default;

InterfaceMapConstPtr ServiceObjects<void>::GetService() const
{
  return GetServiceInterfaceMap();
}

ServiceReferenceU ServiceObjects<void>::GetServiceReference() const
{
  return GetReference();
}

} // namespace cppmicroservices
