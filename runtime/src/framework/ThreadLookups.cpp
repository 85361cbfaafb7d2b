#include "ThreadLookups.hpp"

#include "BundleContextPrivate.hpp"
#include "BundlePrivate.hpp"
#include "registry/ReferenceAccess.hpp"

#include <algorithm>
#include <thread>
#include <utility>

namespace cppmicroservices {

namespace {

// What a thread's own control block holds: one count of the shared pointer. On cache lines
// of its own, so that no other thread's writes to neighbouring memory (a heap's bookkeeping
// when it frees something nearby) slow the thread's count steps.
template <class T>
struct alignas(64) Holder
{
  explicit Holder(std::shared_ptr<T> const& s) : shared(s) {}
  std::shared_ptr<T> shared;
};

// A pointer with a control block of its own that holds one count of shared: copies of it
// count on the new block only.
template <class T>
std::shared_ptr<T> OwnBlock(std::shared_ptr<T> const& shared)
{
  return std::shared_ptr<T>(std::make_shared<Holder<T>>(shared), shared.get());
}

std::atomic<std::uint64_t> nextSerial{1};

} // namespace

// Taken by a cache's thread at every lookup and contended only while the framework changes:
// one atomic exchange, where a mutex takes two atomic operations.
class SpinLock
{
public:
  void lock() noexcept
  {
    while (locked_.exchange(true, std::memory_order_acquire)) {
      while (locked_.load(std::memory_order_relaxed)) {
        std::this_thread::yield();
      }
    }
  }
  void unlock() noexcept { locked_.store(false, std::memory_order_release); }

private:
  std::atomic<bool> locked_{false};
};

/// One thread's copies for one framework. Its lock is taken by its thread at every use and
/// by whoever clears it; the thread holds it only while it copies pointers out or in.
class LookupCache
{
public:
  struct ContextEntry
  {
    BundlePrivate const* bundle;
    std::shared_ptr<BundleContextPrivate> context;
  };
  struct ReferencesEntry
  {
    std::string clazz;
    std::vector<ServiceReferenceBase> references;
  };
  struct ObjectEntry
  {
    ServiceRegistrationBasePrivate const* registration;
    long user;
    std::size_t slot;
    std::shared_ptr<void> object;
  };
  struct Contents
  {
    std::vector<ContextEntry> contexts;
    std::vector<ReferencesEntry> references;
    std::vector<ObjectEntry> objects;
  };

  SpinLock mutex;
  Contents contents;
  bool retired = false; // its thread or its framework has ended: nothing is kept any more

  /// Empties the cache; what it held is released after the lock, since a last count may run
  /// a destructor that looks services up again on this thread.
  void Drop(bool retire) noexcept
  {
    Contents released;
    {
      std::lock_guard<SpinLock> lock(mutex);
      released = std::move(contents);
      contents = Contents();
      retired = retired || retire;
    }
  }
};

namespace {

// The caches of the calling thread, one per framework it has looked something up in. Its
// end retires them, so that the frameworks release their copies then, not at their own end.
struct ThreadCaches
{
  struct Slot
  {
    std::uint64_t serial;
    std::shared_ptr<LookupCache> cache;
  };
  std::vector<Slot> slots;

  ThreadCaches() { alive() = true; }
  ~ThreadCaches()
  {
    alive() = false;
    for (auto& slot : slots) {
      slot.cache->Drop(true);
    }
  }

  // Plain, so that it can still be read after the caches' destructor has run.
  static bool& alive()
  {
    static thread_local bool flag = false;
    return flag;
  }
};

// nullptr once the thread's caches are gone: a destructor run at thread end that looks
// something up is served without a cache.
ThreadCaches* CallingThreadCaches()
{
  static thread_local ThreadCaches caches;
  return ThreadCaches::alive() ? &caches : nullptr;
}

} // namespace

ThreadLookups::ThreadLookups() : serial_(nextSerial.fetch_add(1, std::memory_order_relaxed)) {}

ThreadLookups::~ThreadLookups()
{
  std::vector<std::shared_ptr<LookupCache>> caches;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    caches.swap(caches_);
  }
  for (auto& cache : caches) {
    cache->Drop(true);
  }
}

LookupCache* ThreadLookups::Mine()
{
  ThreadCaches* thread = CallingThreadCaches();
  if (thread == nullptr) {
    return nullptr;
  }
  for (auto const& slot : thread->slots) {
    if (slot.serial == serial_) {
      return slot.cache.get();
    }
  }
  auto cache = std::make_shared<LookupCache>();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // The caches of threads that have ended go here, one thread start at a time.
    caches_.erase(std::remove_if(caches_.begin(), caches_.end(),
                                 [](std::shared_ptr<LookupCache> const& c) {
                                   std::lock_guard<SpinLock> cacheLock(c->mutex);
                                   return c->retired;
                                 }),
                  caches_.end());
    caches_.push_back(cache);
  }
  // And those of frameworks that have ended, here.
  auto& slots = thread->slots;
  slots.erase(std::remove_if(slots.begin(), slots.end(),
                             [](ThreadCaches::Slot const& s) {
                               std::lock_guard<SpinLock> cacheLock(s.cache->mutex);
                               return s.cache->retired;
                             }),
              slots.end());
  slots.push_back({serial_, cache});
  return cache.get();
}

void ThreadLookups::Clear() noexcept
{
  // First the generation, so that a fill that began before this change is not kept.
  generation_.fetch_add(1, std::memory_order_seq_cst);
  std::vector<std::shared_ptr<LookupCache>> caches;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    caches = caches_;
  }
  for (auto& cache : caches) {
    cache->Drop(false);
  }
}

std::shared_ptr<BundleContextPrivate> ThreadLookups::Context(BundlePrivate const& bundle)
{
  LookupCache* cache = Mine();
  if (cache == nullptr) {
    return bundle.GetContext();
  }
  {
    std::lock_guard<SpinLock> lock(cache->mutex);
    for (auto const& entry : cache->contents.contexts) {
      if (entry.bundle == &bundle) {
        return entry.context;
      }
    }
  }
  std::uint64_t const generation = generation_.load(std::memory_order_seq_cst);
  auto const shared = bundle.GetContext();
  if (!shared) {
    return shared;
  }
  auto own = OwnBlock(shared);
  std::lock_guard<SpinLock> lock(cache->mutex);
  if (!cache->retired && generation_.load(std::memory_order_seq_cst) == generation) {
    cache->contents.contexts.push_back({&bundle, own});
  }
  return own;
}

void ThreadLookups::References(std::string const& clazz, Collect collect, detail::ServiceReferenceSink& sink)
{
  LookupCache* cache = Mine();
  if (cache == nullptr) {
    collect(sink);
    return;
  }
  {
    std::lock_guard<SpinLock> lock(cache->mutex);
    for (auto const& entry : cache->contents.references) {
      if (entry.clazz == clazz) {
        sink.Reserve(entry.references.size());
        for (auto const& reference : entry.references) {
          sink.Add(ServiceReferenceBase(reference));
        }
        return;
      }
    }
  }
  std::uint64_t const generation = generation_.load(std::memory_order_seq_cst);
  struct Gathered final : detail::ServiceReferenceSink
  {
    void Reserve(std::size_t count) override { references.reserve(count); }
    void Add(ServiceReferenceBase&& reference) override
    {
      auto const& registration = detail::ReferenceAccess::Registration(reference);
      references.push_back(
        detail::ReferenceAccess::Make(OwnBlock(registration), detail::ReferenceAccess::Slot(reference)));
    }
    std::vector<ServiceReferenceBase> references;
  } gathered;
  collect(gathered);
  sink.Reserve(gathered.references.size());
  for (auto const& reference : gathered.references) {
    sink.Add(ServiceReferenceBase(reference));
  }
  std::lock_guard<SpinLock> lock(cache->mutex);
  if (!cache->retired && generation_.load(std::memory_order_seq_cst) == generation) {
    cache->contents.references.push_back({clazz, std::move(gathered.references)});
  }
}

void ThreadLookups::Object(ServiceRegistrationBasePrivate const& registration, long user, std::size_t slot, Fetch fetch,
                           detail::ObjectSink take, void* typed)
{
  LookupCache* cache = Mine();
  if (cache == nullptr) {
    if (auto const object = fetch()) {
      take(object, typed);
    }
    return;
  }
  {
    std::lock_guard<SpinLock> lock(cache->mutex);
    for (auto const& entry : cache->contents.objects) {
      if (entry.registration == &registration && entry.user == user && entry.slot == slot) {
        take(entry.object, typed);
        return;
      }
    }
  }
  std::uint64_t const generation = generation_.load(std::memory_order_seq_cst);
  auto const shared = fetch();
  if (!shared) {
    return;
  }
  auto own = OwnBlock(shared);
  take(own, typed);
  std::lock_guard<SpinLock> lock(cache->mutex);
  if (!cache->retired && generation_.load(std::memory_order_seq_cst) == generation) {
    cache->contents.objects.push_back({&registration, user, slot, std::move(own)});
  }
}

} // namespace cppmicroservices
