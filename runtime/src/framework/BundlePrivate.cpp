#include "BundlePrivate.hpp"

#include "BundleContextPrivate.hpp"
#include "FrameworkPrivate.hpp"

#include <utility>

namespace cppmicroservices {

BundlePrivate::BundlePrivate(FrameworkPrivate* owner, long bundleId, std::string bundleLocation, std::string name,
                             AnyMap manifest)
    : framework(owner), id(bundleId), location(std::move(bundleLocation)), symbolicName(std::move(name)),
      headers(std::move(manifest)), installed(Bundle::TimeStamp::clock::now())
{}

std::shared_ptr<BundleContextPrivate> BundlePrivate::GetContext() const
{
  std::lock_guard<std::mutex> lock(contextMutex_);
  return context_;
}

void BundlePrivate::SetContext(std::shared_ptr<BundleContextPrivate> context)
{
  std::shared_ptr<BundleContextPrivate> previous;
  {
    std::lock_guard<std::mutex> lock(contextMutex_);
    previous = std::exchange(context_, std::move(context));
  }
  framework->Lookups().Clear();
}

} // namespace cppmicroservices
