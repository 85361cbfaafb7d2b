#pragma once

#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/ServiceObjects.h"

#include <atomic>
#include <memory>

namespace cppmicroservices {

class BundlePrivate;
class FrameworkPrivate;

/**
 * The state behind a BundleContext. A new one is made for every start of a bundle and
 * invalidated when the bundle stops; the bundle library holds a raw pointer to it (set
 * through its _us_set_bundle_context_instance_ function).
 */
class BundleContextPrivate : public std::enable_shared_from_this<BundleContextPrivate>
{
public:
  explicit BundleContextPrivate(BundlePrivate* bundle);

  BundleContextPrivate(BundleContextPrivate const&) = delete;
  BundleContextPrivate& operator=(BundleContextPrivate const&) = delete;

  bool IsValid() const noexcept { return valid_.load(std::memory_order_acquire); }

  /// \throws std::runtime_error("The bundle context is no longer valid").
  void CheckValid() const
  {
    if (!IsValid()) {
      ThrowInvalid();
    }
  }

  void Invalidate() noexcept { valid_.store(false, std::memory_order_release); }

  /// The context's bundle; only to be used after CheckValid().
  BundlePrivate& Bundle() const noexcept { return *bundle_; }
  FrameworkPrivate& Framework() const noexcept;

  [[noreturn]] static void ThrowInvalid();

  /**
   * The service object (the map of every interface) that this context's bundle gets for
   * reference: the registered one, or the factory's object for this bundle. prototype
   * asks a prototype factory for a new one. Empty when the service is gone or its
   * factory failed.
   * \throws std::invalid_argument for an invalid reference.
   */
  InterfaceMapConstPtr GetServiceMap(ServiceReferenceBase const& reference, bool prototype = false) const;

  /// The object for the reference's interface (the first one when it names none): the
  /// bundle's own one, also of a prototype service.
  std::shared_ptr<void> GetServiceObject(ServiceReferenceBase const& reference) const;

  /// The same, handed to take while held (take is not called when there is none); prototype
  /// asks a prototype factory for a new one.
  void GetServiceObject(ServiceReferenceBase const& reference, bool prototype, detail::ObjectSink take,
                        void* typed) const;

private:
  BundlePrivate* const bundle_;
  std::atomic<bool> valid_{true};
};

} // namespace cppmicroservices
