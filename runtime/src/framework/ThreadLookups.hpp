#pragma once

#include "cppmicroservices/BundleContext.h"
#include "cppmicroservices/ServiceObjects.h"
#include "cppmicroservices/ServiceReferenceBase.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace cppmicroservices {

class BundleContextPrivate;
class BundlePrivate;
class ServiceRegistrationBasePrivate;
class LookupCache;

namespace detail {
/// A callable passed down a call without a copy or an allocation (std::function may make one).
template <class Signature>
class FunctionRef;

template <class R, class... Args>
class FunctionRef<R(Args...)>
{
public:
  template <class F>
  FunctionRef(F& f) noexcept // NOLINT(google-explicit-constructor): passed as a lambda
      : object_(&f), call_([](void* object, Args... args) -> R { return (*static_cast<F*>(object))(args...); })
  {}
  R operator()(Args... args) const { return call_(object_, args...); }

private:
  void* object_;
  R (*call_)(void*, Args...);
};
} // namespace detail

/**
 * What lookups in one framework hand out, copied for each thread behind control blocks of
 * that thread's own. Bundles look services up at every element they build; were every
 * thread to copy the framework's one shared_ptr of a context, registration or service
 * object, all of them would write the same counts at every element, and a second thread
 * would add little but cache-line traffic. A copy kept here is found under its thread's
 * own mutex (which only a change to the framework ever contends) and handed out with a
 * count step on that thread's own block, which holds one count of the shared one.
 *
 * Any change to services, factory objects or contexts clears every thread's copies at once
 * (Clear), so nothing kept here outlives the framework's own hold on it by more than a
 * lookup in flight. A fill that raced with a change is handed out but not kept.
 */
class ThreadLookups
{
public:
  ThreadLookups();
  ~ThreadLookups();

  ThreadLookups(ThreadLookups const&) = delete;
  ThreadLookups& operator=(ThreadLookups const&) = delete;

  /// The bundle's current context (empty while it is not started).
  std::shared_ptr<BundleContextPrivate> Context(BundlePrivate const& bundle);

  using Collect = detail::FunctionRef<void(detail::ServiceReferenceSink&)>;

  /// The references an unfiltered lookup under clazz gives; collect asks the registry.
  void References(std::string const& clazz, Collect collect, detail::ServiceReferenceSink& sink);

  using Fetch = detail::FunctionRef<std::shared_ptr<void>()>;

  /**
   * Hands to take the object that user gets for one interface (an index into its
   * interfaces) of a registration, fetched when this thread has no copy; take is not
   * called when fetch gives none. Only for objects that stay the same from call to call:
   * never for a prototype's new ones.
   */
  void Object(ServiceRegistrationBasePrivate const& registration, long user, std::size_t slot, Fetch fetch,
              detail::ObjectSink take, void* typed);

  /// Drops every thread's copies: call after any change to what lookups give.
  void Clear() noexcept;

private:
  // This thread's cache, made on first use; nullptr once the thread is ending.
  LookupCache* Mine();

  std::uint64_t const serial_; // tells this framework's caches from those of one freed before
  std::atomic<std::uint64_t> generation_{0};
  std::mutex mutex_;
  std::vector<std::shared_ptr<LookupCache>> caches_;
};

} // namespace cppmicroservices
