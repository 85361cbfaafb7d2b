#pragma once

#include "cppmicroservices/AnyMap.h"
#include "cppmicroservices/Bundle.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace cppmicroservices {

class BundleContextPrivate;
class FrameworkPrivate;

/// The framework's record of one installed bundle (id 0 is the framework itself).
class BundlePrivate : public std::enable_shared_from_this<BundlePrivate>
{
public:
  BundlePrivate(FrameworkPrivate* framework, long id, std::string location, std::string symbolicName, AnyMap headers);

  BundlePrivate(BundlePrivate const&) = delete;
  BundlePrivate& operator=(BundlePrivate const&) = delete;

  FrameworkPrivate* const framework; // owns this record
  long const id;
  std::string const location;
  std::string const symbolicName;
  AnyMap const headers;
  Bundle::TimeStamp const installed;

  Bundle::State GetState() const noexcept { return state_.load(std::memory_order_acquire); }
  void SetState(Bundle::State state) noexcept { state_.store(state, std::memory_order_release); }

  /// The current context; empty while the bundle is not started.
  std::shared_ptr<BundleContextPrivate> GetContext() const;
  void SetContext(std::shared_ptr<BundleContextPrivate> context);

  /// The loaded library (nullptr until the first start; the framework's own is null).
  void* library = nullptr;

  /// Started again when the framework restarts.
  bool autostart = false;

private:
  std::atomic<Bundle::State> state_{Bundle::STATE_INSTALLED};
  mutable std::mutex contextMutex_;
  std::shared_ptr<BundleContextPrivate> context_;
};

} // namespace cppmicroservices
