#include "RuntimeFixture.hpp"

#include <cppmicroservices/Constants.h>
#include <cppmicroservices/PrototypeServiceFactory.h>

#include <atomic>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

namespace runtimetest {

namespace {

using cppmicroservices::Any;
using cppmicroservices::ServiceProperties;

class NamedStorage final : public Storage
{
public:
  explicit NamedStorage(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }

private:
  std::string name_;
};

// Two interfaces, so that the second lies at an offset from the object's start.
class StorageAndConsumer final : public Storage, public Consumer
{
public:
  explicit StorageAndConsumer(int serial) : serial_(serial) {}
  std::string Name() const override { return "made " + std::to_string(serial_); }
  std::string Describe() const override { return "consumer " + std::to_string(serial_); }

private:
  int serial_;
};

// Makes a new object at every call and counts what it gets back.
template <class Base>
class CountingFactory final : public Base
{
public:
  cppmicroservices::InterfaceMapConstPtr GetService(cppmicroservices::Bundle const&,
                                                    cppmicroservices::ServiceRegistrationBase const&) override
  {
    ++made;
    return cppmicroservices::MakeInterfaceMap<Storage, Consumer>(std::make_shared<StorageAndConsumer>(made));
  }
  void UngetService(cppmicroservices::Bundle const&, cppmicroservices::ServiceRegistrationBase const&,
                    cppmicroservices::InterfaceMapConstPtr const&) override
  {
    ++returned;
  }
  int made = 0;
  int returned = 0;
};

class ServiceRegistry : public RuntimeTest
{
protected:
  cppmicroservices::ServiceRegistration<Storage> Register(std::string const& id, Any ranking = Any(),
                                                          ServiceProperties properties = ServiceProperties())
  {
    properties["test_id"] = id;
    if (!ranking.Empty()) {
      properties[cppmicroservices::Constants::SERVICE_RANKING] = std::move(ranking);
    }
    return Context().RegisterService<Storage>(std::make_shared<NamedStorage>(id), properties);
  }

  std::string Message(std::string const& filter)
  {
    try {
      Context().GetServiceReferences<Storage>(filter);
    } catch (std::invalid_argument const& e) {
      return e.what();
    }
    return "no error";
  }
};

} // namespace

TEST_F(ServiceRegistry, LookupsOrderByRankingThenByAge)
{
  auto a = Register("A");
  auto b = Register("B", 5);
  auto c = Register("C", 5);
  auto d = Register("D", -1);
  auto e = Register("E", std::string("9")); // not an int: no ranking
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"B", "C", "A", "E", "D"}));
  EXPECT_EQ(Context().GetServiceReference<Storage>().GetProperty("test_id").ToString(), "B");

  // The untyped lookups give the same order.
  std::vector<std::string> untyped;
  for (auto const& reference : Context().GetServiceReferences("runtimetest::Storage")) {
    untyped.push_back(reference.GetProperty("test_id").ToString());
  }
  EXPECT_EQ(untyped, TestIds<Storage>());

  // A new ranking moves a service; it keeps its age among equals.
  ServiceProperties raised;
  raised["test_id"] = std::string("A");
  raised[cppmicroservices::Constants::SERVICE_RANKING] = 5;
  a.SetProperties(raised);
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"A", "B", "C", "E", "D"}));
  b.Unregister();
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"A", "C", "E", "D"}));
}

TEST_F(ServiceRegistry, ComponentServicesTakeTheirPlaceInTheSameOrder)
{
  auto early = Register("Early", -3);
  Start(CHAIN_BUNDLE);
  auto late = Register("Late", 2);
  auto last = Register("Last");
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"Late", "PrimaryStore", "SecondaryStore", "Last", "Early"}));
}

TEST_F(ServiceRegistry, FiltersSelectByPropertiesWhateverTheKeysCase)
{
  ServiceProperties heavy;
  heavy["Weight"] = 7;
  heavy["tags"] = std::vector<std::string>{"red", "round"};
  auto a = Register("Alpha", Any(), heavy);
  ServiceProperties light;
  light["weight"] = 2;
  auto b = Register("Beta", Any(), light);
  auto c = Register("Gamma");

  EXPECT_EQ(TestIds<Storage>(""), (std::vector<std::string>{"Alpha", "Beta", "Gamma"})) << "empty filter: all";
  EXPECT_EQ(TestIds<Storage>("(WEIGHT>=3)"), std::vector<std::string>{"Alpha"});
  EXPECT_EQ(TestIds<Storage>("(weight=*)"), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(TestIds<Storage>("(!(weight=*))"), std::vector<std::string>{"Gamma"});
  EXPECT_EQ(TestIds<Storage>("(|(tags=round)(test_id=G*a))"), (std::vector<std::string>{"Alpha", "Gamma"}));
  EXPECT_EQ(TestIds<Storage>("(&(weight<=5)(test_id~=beta))"), std::vector<std::string>{"Beta"});
  EXPECT_EQ(TestIds<Storage>("(objectclass=runtimetest::Storage)").size(), 3u);

  // An empty class asks every interface.
  auto const any = Context().GetServiceReferences("", "(test_id=Beta)");
  ASSERT_EQ(any.size(), 1u);
  EXPECT_TRUE(any.front().IsConvertibleTo("runtimetest::Storage"));
  EXPECT_TRUE(Context().GetServiceReferences<Consumer>("(test_id=Beta)").empty());
}

TEST_F(ServiceRegistry, MalformedFiltersAreRejectedWhereverTheyAreGiven)
{
  auto a = Register("A");
  for (std::string const filter : {"(test_id=A", "test_id=A", "(test_id=A))", "(&)", "(test_id<A)"}) {
    std::string const message = Message(filter);
    EXPECT_EQ(message.rfind("Invalid LDAP filter \"" + filter + "\"", 0), 0u) << message;
  }
  EXPECT_THROW(Context().GetServiceReferences("", "(|(a=1)"), std::invalid_argument);
  EXPECT_THROW(Context().AddServiceListener([](cppmicroservices::ServiceEvent const&) {}, "(a=1"),
               std::invalid_argument);
  EXPECT_EQ(TestIds<Storage>(), std::vector<std::string>{"A"}) << "the registry is unaffected";
}

TEST_F(ServiceRegistry, FactoryObjectsAreHandedOutUnderEachInterfaceAndScope)
{
  auto context = Context();
  auto bundled = std::make_shared<CountingFactory<cppmicroservices::ServiceFactory>>();
  auto prototype = std::make_shared<CountingFactory<cppmicroservices::PrototypeServiceFactory>>();
  auto b =
    context.RegisterService<Storage, Consumer>(std::static_pointer_cast<cppmicroservices::ServiceFactory>(bundled));
  auto p =
    context.RegisterService<Storage, Consumer>(std::static_pointer_cast<cppmicroservices::ServiceFactory>(prototype));
  auto const bundledRef = b.GetReference<Consumer>();
  auto const prototypeRef = p.GetReference<Consumer>();

  // Bundle scope: one object for the bundle, whichever way it is asked for, at the
  // interface's own address.
  auto const first = context.GetServiceObjects(bundledRef).GetService();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->Describe(), "consumer 1");
  EXPECT_EQ(context.GetServiceObjects(bundledRef).GetService(), first);
  EXPECT_EQ(context.GetService(bundledRef), first);
  EXPECT_EQ(context.GetServiceObjects(b.GetReference<Storage>()).GetService()->Name(), "made 1");
  EXPECT_EQ(bundled->made, 1);

  // Prototype scope: a new object from the service objects, handed back when let go; the
  // plain lookup gives the bundle's one object.
  {
    auto const one = context.GetServiceObjects(prototypeRef).GetService();
    auto const two = context.GetServiceObjects(prototypeRef).GetService();
    ASSERT_TRUE(one && two);
    EXPECT_NE(one, two);
    EXPECT_EQ(two->Describe(), "consumer " + std::to_string(prototype->made));
    EXPECT_EQ(prototype->returned, 0);
  }
  EXPECT_EQ(prototype->returned, 2);
  auto const shared = context.GetService(prototypeRef);
  ASSERT_TRUE(shared);
  EXPECT_EQ(context.GetService(prototypeRef), shared);

  // Once unregistered, nothing more is handed out, and the holder keeps its object.
  b.Unregister();
  EXPECT_EQ(context.GetServiceObjects(bundledRef).GetService(), nullptr);
  EXPECT_EQ(first->Describe(), "consumer 1");
  EXPECT_EQ(bundled->returned, 1);
}

TEST_F(ServiceRegistry, AnUnregisteredServiceIsNoLongerHandedOut)
{
  auto a = Register("A");
  auto const reference = a.GetReference();
  auto context = Context();
  auto object = context.GetService(reference);
  ASSERT_TRUE(object);
  EXPECT_EQ(context.GetServiceObjects(reference).GetService(), object);
  a.Unregister();
  EXPECT_EQ(context.GetService(reference), nullptr);
  EXPECT_EQ(context.GetServiceObjects(reference).GetService(), nullptr);
  EXPECT_EQ(object->Name(), "A") << "a holder keeps its object";
  EXPECT_THROW(a.Unregister(), std::logic_error);
}

TEST_F(ServiceRegistry, ConcurrentLookupsSeeConsistentOrderWhileServicesComeAndGo)
{
  Start(CHAIN_BUNDLE);
  auto stable = Register("Stable", 100);
  std::atomic<bool> done{false};
  std::atomic<int> problems{0};
  std::atomic<int> lookups{0};
  std::vector<std::thread> readers;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&] {
      auto context = Context();
      while (!done.load()) {
        auto const references = context.GetServiceReferences<Storage>();
        // The best is always first; the chain's stores are always there.
        if (references.size() < 3 || references.front().GetProperty("test_id").ToString() != "Stable") {
          ++problems;
        }
        for (std::size_t i = 1; i < references.size(); ++i) {
          if (references[i - 1] < references[i]) {
            ++problems;
          }
        }
        for (auto const& reference : references) {
          auto service = context.GetService(reference); // may be gone meanwhile: empty then
          if (service && service->Name().empty()) {
            ++problems;
          }
        }
        auto tail = context.GetServiceReferences<Consumer>("(test_id=Tail)");
        if (tail.size() != 1 || !context.GetService(tail.front())) {
          ++problems;
        }
        ++lookups;
      }
    });
  }
  // Keep changing the registry until the readers have looked often enough to overlap.
  for (int i = 0; i < 300 || lookups.load() < 100; ++i) {
    auto transient = Register("T" + std::to_string(i), i % 7 - 3);
    transient.Unregister();
  }
  done = true;
  for (auto& reader : readers) {
    reader.join();
  }
  EXPECT_EQ(problems.load(), 0);
  // Each reader asks for every store, so each is created, once, in whatever order the
  // threads got there.
  std::istringstream events(EventLog::Take());
  std::multiset<std::string> const created{std::istream_iterator<std::string>(events),
                                           std::istream_iterator<std::string>()};
  EXPECT_EQ(created, (std::multiset<std::string>{"+Front", "+PrimaryStore", "+SecondaryStore", "+Tail"}))
    << "one instance for all threads";
}

} // namespace runtimetest
