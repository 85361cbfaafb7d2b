#pragma once

#include "ReferenceMetadata.hpp"

#include "cppmicroservices/ServiceEvent.h"
#include "cppmicroservices/ServiceReferenceBase.h"

#include <vector>

namespace cppmicroservices {
class FrameworkPrivate;
}

namespace cppmicroservices::scr {

/**
 * Tracks the services that match one reference (its interface and target) and the ones
 * bound to the component's current instance. Static policy: the bound services stay
 * until the instance is destroyed.
 */
class ReferenceManager
{
public:
  enum class Change
  {
    None,
    Satisfied,   // the reference has just become satisfied
    Unsatisfied, // it has just lost its last match (nothing bound lost)
    BoundLost    // a service bound to the instance went away
  };

  ReferenceManager(ReferenceMetadata const& metadata, FrameworkPrivate& framework);

  ReferenceMetadata const& Metadata() const noexcept { return metadata_; }

  /// Fills the matches from the registry (when the component is enabled).
  void Initialize();
  void Clear();

  Change ServiceChanged(ServiceEvent const& event);

  bool IsSatisfied() const noexcept { return metadata_.optional || !matches_.empty(); }

  /// Binds the best match (all matches for a multiple reference) for a new instance.
  void Bind();
  void Unbind() { bound_.clear(); }
  std::vector<ServiceReferenceBase> const& Bound() const noexcept { return bound_; }

private:
  bool Matches(ServiceReferenceBase const& reference) const;
  bool Contains(std::vector<ServiceReferenceBase> const& list, ServiceReferenceBase const& reference) const;
  Change Add(ServiceReferenceBase const& reference);
  Change Remove(ServiceReferenceBase const& reference);

  ReferenceMetadata const& metadata_;
  FrameworkPrivate& framework_;
  std::vector<ServiceReferenceBase> matches_; // best first
  std::vector<ServiceReferenceBase> bound_;
};

} // namespace cppmicroservices::scr
