#include "cppmicroservices/BundleContext.h"

#include "BundleContextPrivate.hpp"
#include "BundlePrivate.hpp"
#include "FrameworkPrivate.hpp"
#include "registry/ReferenceAccess.hpp"
#include "registry/RegistrationAccess.hpp"

#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/Constants.h"

#include <filesystem>

namespace cppmicroservices {

BundleContext::BundleContext() = default;

BundleContext::BundleContext(std::shared_ptr<BundleContextPrivate> ctx) : d(std::move(ctx)) {}

BundleContext MakeBundleContext(BundleContextPrivate* d)
{
  // A bundle hands back the pointer it was given at start; the context object is still
  // alive while anything refers to it, and an invalidated one reports itself invalid.
  if (d == nullptr) {
    return BundleContext();
  }
  auto shared = d->weak_from_this().lock();
  return shared ? BundleContext(std::move(shared)) : BundleContext();
}

BundleContext MakeBundleContext(std::shared_ptr<BundleContextPrivate> const& d)
{
  return BundleContext(d);
}

std::shared_ptr<BundleContextPrivate> GetPrivate(BundleContext const& c)
{
  return c.d;
}

std::shared_ptr<BundleContextPrivate> const& BundleContext::CheckedPrivate() const
{
  if (!d) {
    BundleContextPrivate::ThrowInvalid();
  }
  d->CheckValid();
  return d;
}

bool BundleContext::operator==(BundleContext const& rhs) const
{
  return d == rhs.d;
}

bool BundleContext::operator!=(BundleContext const& rhs) const
{
  return !(*this == rhs);
}

bool BundleContext::operator<(BundleContext const& rhs) const
{
  if (!d || !rhs.d) {
    return d && !rhs.d; // invalid contexts order last
  }
  return d < rhs.d;
}

BundleContext::operator bool() const
{
  return d && d->IsValid();
}

BundleContext& BundleContext::operator=(std::nullptr_t)
{
  d.reset();
  return *this;
}

Any BundleContext::GetProperty(std::string const& key) const
{
  auto const& properties = CheckedPrivate()->Framework().Properties();
  auto const it = properties.find(key);
  return it == properties.end() ? Any() : it->second;
}

AnyMap BundleContext::GetProperties() const
{
  AnyMap result(AnyMap::UNORDERED_MAP_CASEINSENSITIVE_KEYS);
  for (auto const& entry : CheckedPrivate()->Framework().Properties()) {
    result[entry.first] = entry.second;
  }
  return result;
}

Bundle BundleContext::GetBundle() const
{
  auto const& ctx = CheckedPrivate();
  return ctx->Framework().MakeBundle(ctx->Bundle().shared_from_this());
}

Bundle BundleContext::GetBundle(long id) const
{
  auto& framework = CheckedPrivate()->Framework();
  auto bundle = framework.FindBundle(id);
  return bundle ? framework.MakeBundle(std::move(bundle)) : Bundle();
}

std::vector<Bundle> BundleContext::GetBundles(std::string const& location) const
{
  std::vector<Bundle> result;
  for (auto const& bundle : GetBundles()) {
    if (bundle.GetLocation() == location) {
      result.push_back(bundle);
    }
  }
  return result;
}

std::vector<Bundle> BundleContext::GetBundles() const
{
  auto& framework = CheckedPrivate()->Framework();
  std::vector<Bundle> result;
  for (auto& bundle : framework.Bundles()) {
    result.push_back(framework.MakeBundle(std::move(bundle)));
  }
  return result;
}

ServiceRegistrationU BundleContext::RegisterService(InterfaceMapConstPtr const& service,
                                                    ServiceProperties const& properties)
{
  auto const& ctx = CheckedPrivate();
  auto registration = ctx->Framework().RegisterService(ctx->Bundle().shared_from_this(), service, properties);
  return ServiceRegistrationU(detail::RegistrationAccess::Make(std::move(registration)));
}

void BundleContext::CollectServiceReferences(std::string const& clazz, std::string const& filter,
                                             detail::ServiceReferenceSink& sink)
{
  auto const& ctx = CheckedPrivate();
  if (filter.empty()) {
    auto& framework = ctx->Framework();
    auto collect = [&](detail::ServiceReferenceSink& into) { framework.Registry().Collect(clazz, nullptr, into); };
    if (clazz.empty()) {
      collect(sink);
    } else {
      framework.Lookups().References(clazz, collect, sink);
    }
    return;
  }
  LDAPFilter const parsed(filter); // std::invalid_argument for a malformed filter
  ctx->Framework().Registry().Collect(clazz, parsed ? &parsed : nullptr, sink);
}

std::vector<ServiceReferenceU> BundleContext::GetServiceReferences(std::string const& clazz, std::string const& filter)
{
  std::vector<ServiceReferenceU> result;
  detail::ServiceReferenceCollector<ServiceReferenceU> collector(result);
  CollectServiceReferences(clazz, filter, collector);
  return result;
}

ServiceReferenceU BundleContext::GetServiceReference(std::string const& clazz)
{
  // The collector is the only way in; the first reference is the best one.
  class First final : public detail::ServiceReferenceSink
  {
  public:
    void Reserve(std::size_t) override {}
    void Add(ServiceReferenceBase&& reference) override
    {
      if (!found) {
        found = std::move(reference);
      }
    }
    ServiceReferenceU found;
  } first;
  CollectServiceReferences(clazz, std::string(), first);
  return first.found;
}

std::shared_ptr<void> BundleContext::GetService(ServiceReferenceBase const& reference)
{
  return CheckedPrivate()->GetServiceObject(reference);
}

InterfaceMapConstPtr BundleContext::GetService(ServiceReferenceU const& reference)
{
  return CheckedPrivate()->GetServiceMap(reference);
}

ListenerToken BundleContext::AddServiceListener(ServiceListener const& listener, std::string const& filter)
{
  auto const& ctx = CheckedPrivate();
  return ListenerToken(ctx->Framework().Listeners().AddServiceListener(ctx->Bundle().id, listener, filter));
}

ListenerToken BundleContext::AddFrameworkListener(FrameworkListener const& listener)
{
  auto const& ctx = CheckedPrivate();
  return ListenerToken(ctx->Framework().Listeners().AddFrameworkListener(ctx->Bundle().id, listener));
}

void BundleContext::RemoveListener(ListenerToken token)
{
  auto const& ctx = CheckedPrivate();
  if (token) {
    ctx->Framework().Listeners().Remove(ctx->Bundle().id, token.Id());
  }
}

std::string BundleContext::GetDataFile(std::string const& filename) const
{
  auto const& ctx = CheckedPrivate();
  auto const& properties = ctx->Framework().Properties();
  std::filesystem::path base = std::filesystem::current_path();
  auto const it = properties.find(Constants::FRAMEWORK_STORAGE);
  if (it != properties.end()) {
    if (auto const* storage = any_cast<std::string>(&it->second)) {
      base = *storage;
    }
  }
  return (base / "data" / std::to_string(ctx->Bundle().id) / filename).string();
}

std::vector<Bundle> BundleContext::InstallBundles(std::string const& location, AnyMap const& bundleManifest)
{
  auto& framework = CheckedPrivate()->Framework();
  std::vector<Bundle> result;
  for (auto& bundle : framework.Install(location, bundleManifest)) {
    result.push_back(framework.MakeBundle(std::move(bundle)));
  }
  return result;
}

} // namespace cppmicroservices
