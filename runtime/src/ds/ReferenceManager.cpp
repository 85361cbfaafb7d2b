#include "ReferenceManager.hpp"

#include "framework/FrameworkPrivate.hpp"
#include "registry/ReferenceAccess.hpp"
#include "registry/ServiceRegistrationBasePrivate.hpp"

#include <algorithm>

namespace cppmicroservices::scr {

namespace {

void SortBestFirst(std::vector<ServiceReferenceBase>& references)
{
  std::stable_sort(references.begin(), references.end(),
                   [](ServiceReferenceBase const& a, ServiceReferenceBase const& b) { return b < a; });
}

} // namespace

ReferenceManager::ReferenceManager(ReferenceMetadata const& metadata, FrameworkPrivate& framework)
    : metadata_(metadata), framework_(framework)
{}

void ReferenceManager::Initialize()
{
  class Collector final : public cppmicroservices::detail::ServiceReferenceSink
  {
  public:
    explicit Collector(ReferenceManager& owner) : owner_(owner) {}
    void Reserve(std::size_t count) override { owner_.matches_.reserve(count); }
    void Add(ServiceReferenceBase&& reference) override
    {
      if (cppmicroservices::detail::ReferenceAccess::Registration(reference)->IsRegistered()) {
        owner_.matches_.push_back(std::move(reference));
      }
    }

  private:
    ReferenceManager& owner_;
  } collector(*this);

  matches_.clear();
  bound_.clear();
  framework_.Registry().Collect(metadata_.interfaceName, metadata_.filter ? &metadata_.filter : nullptr, collector);
}

void ReferenceManager::Clear()
{
  matches_.clear();
  bound_.clear();
}

bool ReferenceManager::Matches(ServiceReferenceBase const& reference) const
{
  auto const& registration = cppmicroservices::detail::ReferenceAccess::Registration(reference);
  return registration && registration->IsRegistered() && registration->FindSlot(metadata_.interfaceName) &&
         (!metadata_.filter || registration->Matches(metadata_.filter));
}

bool ReferenceManager::Contains(std::vector<ServiceReferenceBase> const& list,
                                ServiceReferenceBase const& reference) const
{
  return std::find(list.begin(), list.end(), reference) != list.end();
}

ReferenceManager::Change ReferenceManager::ServiceChanged(ServiceEvent const& event)
{
  ServiceReferenceBase const reference = event.GetServiceReference();
  switch (event.GetType()) {
  case ServiceEvent::SERVICE_REGISTERED: return Matches(reference) ? Add(reference) : Change::None;
  case ServiceEvent::SERVICE_MODIFIED:
  case ServiceEvent::SERVICE_MODIFIED_ENDMATCH:
    if (Matches(reference)) {
      return Add(reference);
    }
    return Contains(matches_, reference) ? Remove(reference) : Change::None;
  case ServiceEvent::SERVICE_UNREGISTERING: return Contains(matches_, reference) ? Remove(reference) : Change::None;
  }
  return Change::None;
}

ReferenceManager::Change ReferenceManager::Add(ServiceReferenceBase const& reference)
{
  if (Contains(matches_, reference)) {
    // Its ranking may have changed.
    SortBestFirst(matches_);
    return Change::None;
  }
  bool const wasSatisfied = IsSatisfied();
  matches_.push_back(reference);
  SortBestFirst(matches_);
  return !wasSatisfied && IsSatisfied() ? Change::Satisfied : Change::None;
}

ReferenceManager::Change ReferenceManager::Remove(ServiceReferenceBase const& reference)
{
  matches_.erase(std::remove(matches_.begin(), matches_.end(), reference), matches_.end());
  if (Contains(bound_, reference)) {
    return Change::BoundLost;
  }
  return IsSatisfied() ? Change::None : Change::Unsatisfied;
}

void ReferenceManager::Bind()
{
  bound_.clear();
  if (metadata_.multiple) {
    bound_ = matches_;
  } else if (!matches_.empty()) {
    bound_.push_back(matches_.front());
  }
}

} // namespace cppmicroservices::scr
