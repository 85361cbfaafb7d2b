#include "cppmicroservices/Bundle.h"

#include "BundleContextPrivate.hpp"
#include "BundlePrivate.hpp"
#include "FrameworkPrivate.hpp"
#include "registry/ReferenceAccess.hpp"

#include <algorithm>
#include <stdexcept>

namespace cppmicroservices {

namespace {

BundlePrivate& Checked(std::shared_ptr<BundlePrivate> const& d)
{
  if (!d) {
    throw std::invalid_argument("The bundle object is invalid");
  }
  return *d;
}

} // namespace

Bundle::Bundle() = default;
Bundle::Bundle(std::shared_ptr<BundlePrivate> bundle, std::shared_ptr<FrameworkPrivate> framework)
    : d(std::move(bundle)), c(std::move(framework))
{}
Bundle::Bundle(Bundle const&) = default;
Bundle::Bundle(Bundle&&) noexcept = default;
Bundle& Bundle::operator=(Bundle const&) = default;
Bundle& Bundle::operator=(Bundle&&) noexcept = default;
Bundle::~Bundle() = default;

bool Bundle::operator==(Bundle const& rhs) const
{
  return d == rhs.d;
}

bool Bundle::operator!=(Bundle const& rhs) const
{
  return !(*this == rhs);
}

bool Bundle::operator<(Bundle const& rhs) const
{
  if (!d || !rhs.d) {
    return d && !rhs.d;
  }
  if (d->framework != rhs.d->framework) {
    return d->framework < rhs.d->framework;
  }
  return d->id < rhs.d->id;
}

Bundle::operator bool() const
{
  return d != nullptr;
}

Bundle& Bundle::operator=(std::nullptr_t)
{
  d.reset();
  c.reset();
  return *this;
}

Bundle::State Bundle::GetState() const
{
  return Checked(d).GetState();
}

BundleContext Bundle::GetBundleContext() const
{
  auto const& bundle = Checked(d);
  auto context = bundle.framework->Lookups().Context(bundle);
  return context && context->IsValid() ? MakeBundleContext(context) : BundleContext();
}

long Bundle::GetBundleId() const
{
  return Checked(d).id;
}

std::string Bundle::GetLocation() const
{
  return Checked(d).location;
}

std::string Bundle::GetSymbolicName() const
{
  return Checked(d).symbolicName;
}

AnyMap const& Bundle::GetHeaders() const
{
  return Checked(d).headers;
}

std::map<std::string, Any> Bundle::GetProperties() const
{
  std::map<std::string, Any> result;
  for (auto const& entry : Checked(d).headers) {
    result.emplace(entry.first, entry.second);
  }
  return result;
}

Any Bundle::GetProperty(std::string const& key) const
{
  auto const& headers = Checked(d).headers;
  auto const it = headers.find(key);
  return it == headers.end() ? Any() : it->second;
}

std::vector<std::string> Bundle::GetPropertyKeys() const
{
  std::vector<std::string> keys;
  for (auto const& entry : Checked(d).headers) {
    keys.push_back(entry.first);
  }
  return keys;
}

std::vector<ServiceReferenceU> Bundle::GetRegisteredServices() const
{
  auto& bundle = Checked(d);
  std::vector<ServiceReferenceU> result;
  for (auto const& registration : bundle.framework->Registry().RegisteredBy(bundle.id)) {
    if (registration->IsRegistered()) {
      detail::InterfaceSlot const* slot =
        registration->Interfaces().empty() ? nullptr : &registration->Interfaces().front();
      result.emplace_back(detail::ReferenceAccess::Make(registration, slot));
    }
  }
  return result;
}

std::vector<ServiceReferenceU> Bundle::GetServicesInUse() const
{
  auto& bundle = Checked(d);
  std::vector<ServiceReferenceU> result;
  for (auto const& registration : bundle.framework->Registry().All()) {
    auto const users = registration->UsingBundleIds();
    if (std::find(users.begin(), users.end(), bundle.id) != users.end()) {
      result.emplace_back(detail::ReferenceAccess::Make(registration, nullptr));
    }
  }
  return result;
}

Bundle::TimeStamp Bundle::GetLastModified() const
{
  return Checked(d).installed;
}

void Bundle::Start(uint32_t)
{
  Start();
}

void Bundle::Start()
{
  auto& bundle = Checked(d);
  bundle.framework->StartBundle(bundle);
}

void Bundle::Stop(uint32_t)
{
  Stop();
}

void Bundle::Stop()
{
  auto& bundle = Checked(d);
  bundle.framework->StopBundle(bundle);
}

void Bundle::Uninstall()
{
  auto& bundle = Checked(d);
  bundle.framework->UninstallBundle(bundle);
}

std::ostream& operator<<(std::ostream& os, Bundle::State state)
{
  switch (state) {
  case Bundle::STATE_UNINSTALLED: return os << "UNINSTALLED";
  case Bundle::STATE_INSTALLED: return os << "INSTALLED";
  case Bundle::STATE_RESOLVED: return os << "RESOLVED";
  case Bundle::STATE_STARTING: return os << "STARTING";
  case Bundle::STATE_STOPPING: return os << "STOPPING";
  case Bundle::STATE_ACTIVE: return os << "ACTIVE";
  }
  return os << "Unknown bundle state";
}

std::ostream& operator<<(std::ostream& os, Bundle const& bundle)
{
  if (!bundle) {
    return os << "Invalid bundle";
  }
  return os << "Bundle[id=" << bundle.GetBundleId() << ", loc=" << bundle.GetLocation()
            << ", name=" << bundle.GetSymbolicName() << ", state=" << bundle.GetState() << "]";
}

} // namespace cppmicroservices
