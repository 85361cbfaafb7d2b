// Lookups are answered from each thread's own copies: these tests hold the copies to what
// the framework itself would answer, on every thread, across changes.
#include "RuntimeFixture.hpp"

#include <cppmicroservices/Constants.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace runtimetest {

namespace {

class Named final : public Storage
{
public:
  explicit Named(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }

private:
  std::string name_;
};

// One thread that stays alive between the calls given to it, as a batch's workers do.
class Worker
{
public:
  Worker() : thread_([this] { Run(); }) {}
  ~Worker()
  {
    Call([this] { stop_ = true; });
    thread_.join();
  }

  template <class F>
  auto Call(F f) -> decltype(f())
  {
    std::packaged_task<decltype(f())()> task(std::move(f));
    auto result = task.get_future();
    {
      std::lock_guard<std::mutex> lock(mutex_);
      tasks_.emplace_back([&task] { task(); });
    }
    ready_.notify_one();
    return result.get();
  }

private:
  void Run()
  {
    while (!stop_) {
      std::function<void()> task;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        ready_.wait(lock, [this] { return !tasks_.empty(); });
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      task();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> tasks_;
  bool stop_ = false;
  std::thread thread_;
};

class ThreadLookups : public RuntimeTest
{
protected:
  cppmicroservices::ServiceRegistration<Storage> Register(std::shared_ptr<Storage> const& object, int ranking = 0)
  {
    cppmicroservices::ServiceProperties properties;
    properties[cppmicroservices::Constants::SERVICE_RANKING] = ranking;
    return Context().RegisterService<Storage>(object, properties);
  }

  // The names of the services a lookup on the calling thread finds, best first.
  std::vector<std::string> Names()
  {
    std::vector<std::string> names;
    auto context = framework.GetBundleContext();
    for (auto const& reference : context.GetServiceReferences<Storage>()) {
      if (auto service = context.GetServiceObjects(reference).GetService()) {
        names.push_back(service->Name());
      }
    }
    return names;
  }
};

} // namespace

TEST_F(ThreadLookups, EveryThreadGetsTheSameObjectsButCountsOnItsOwn)
{
  auto const object = std::make_shared<Named>("A");
  auto registration = Register(object);
  auto context = Context();
  auto const mine = context.GetServiceObjects(registration.GetReference()).GetService();
  long const counted = mine.use_count();

  Worker worker;
  std::vector<std::shared_ptr<Storage>> copies;
  auto const theirs = worker.Call([&] {
    auto workerContext = framework.GetBundleContext();
    auto references = workerContext.GetServiceReferences<Storage>();
    EXPECT_EQ(references.size(), 1u);
    EXPECT_EQ(references.front(), registration.GetReference()) << "references compare equal across threads";
    auto service = workerContext.GetServiceObjects(references.front()).GetService();
    for (int i = 0; i < 100; ++i) {
      copies.push_back(workerContext.GetServiceObjects(references.front()).GetService());
    }
    return service;
  });
  EXPECT_EQ(theirs.get(), mine.get());
  EXPECT_EQ(theirs.get(), object.get());
  EXPECT_EQ(mine.use_count(), counted) << "another thread's copies count elsewhere";
  EXPECT_GE(theirs.use_count(), 101);
}

TEST_F(ThreadLookups, AChangeReachesTheNextLookupOfEveryThread)
{
  auto a = Register(std::make_shared<Named>("A"));
  Worker worker;
  EXPECT_EQ(worker.Call([&] { return Names(); }), (std::vector<std::string>{"A"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"A"}));

  auto b = Register(std::make_shared<Named>("B"), 5);
  EXPECT_EQ(worker.Call([&] { return Names(); }), (std::vector<std::string>{"B", "A"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"B", "A"}));

  b.SetProperties({{cppmicroservices::Constants::SERVICE_RANKING, -5}});
  EXPECT_EQ(worker.Call([&] { return Names(); }), (std::vector<std::string>{"A", "B"}));

  auto const reference = a.GetReference();
  a.Unregister();
  EXPECT_EQ(worker.Call([&] { return Names(); }), (std::vector<std::string>{"B"}));
  EXPECT_EQ(worker.Call([&] { return framework.GetBundleContext().GetServiceObjects(reference).GetService(); }),
            nullptr)
    << "an unregistered service is not handed out from a copy";
}

TEST_F(ThreadLookups, CopiesGoWithTheServiceAndWithTheThread)
{
  auto object = std::make_shared<Named>("A");
  std::weak_ptr<Storage> const watched = object;
  auto registration = Register(object);
  object.reset();
  long const held = watched.use_count();

  // Threads that end give up their copies: a host that runs batch after batch on new
  // threads holds no more than one that runs one.
  for (int i = 0; i < 20; ++i) {
    std::thread([&] { EXPECT_EQ(Names(), (std::vector<std::string>{"A"})); }).join();
  }
  EXPECT_EQ(watched.use_count(), held);

  // A thread that lives on gives them up when the service goes.
  Worker worker;
  EXPECT_EQ(worker.Call([&] { return Names(); }), (std::vector<std::string>{"A"}));
  EXPECT_GT(watched.use_count(), held);
  registration.Unregister();
  EXPECT_EQ(watched.use_count(), held) << "a copy kept the object of an ended registration";
}

TEST_F(ThreadLookups, ABundleStartedAgainHasItsNewContextOnEveryThread)
{
  auto bundle = Start(CHAIN_BUNDLE);
  Worker worker;
  auto const first = worker.Call([&] { return bundle.GetBundleContext(); });
  ASSERT_TRUE(first);
  bundle.Stop();
  EXPECT_FALSE(worker.Call([&] { return bundle.GetBundleContext(); }));
  EXPECT_FALSE(first) << "the old context reports itself invalid";
  bundle.Start();
  auto const second = worker.Call([&] { return bundle.GetBundleContext(); });
  ASSERT_TRUE(second);
  EXPECT_NE(second, first);
  EXPECT_EQ(second, bundle.GetBundleContext());
}

} // namespace runtimetest
