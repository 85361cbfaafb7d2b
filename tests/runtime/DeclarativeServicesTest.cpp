#include "ArchiveWriter.hpp"
#include "RuntimeFixture.hpp"

#include <cppmicroservices/Constants.h>
#include <cppmicroservices/servicecomponent/ComponentConstants.hpp>

#include <filesystem>

namespace runtimetest {

namespace {

namespace ComponentConstants = cppmicroservices::service::component::ComponentConstants;
using cppmicroservices::Any;
using cppmicroservices::ServiceProperties;

class SourceImpl final : public Source
{
public:
  explicit SourceImpl(std::string name) : name_(std::move(name)) {}
  std::string Name() const override { return name_; }

private:
  std::string name_;
};

class StorageImpl final : public Storage
{
public:
  std::string Name() const override { return "test"; }
};

class MissingImpl final : public Missing
{};

ServiceProperties Ranked(int ranking)
{
  ServiceProperties properties;
  properties[cppmicroservices::Constants::SERVICE_RANKING] = ranking;
  return properties;
}

class DeclarativeServices : public RuntimeTest
{};

} // namespace

TEST_F(DeclarativeServices, ComponentsRegisterInReferenceOrderAndAreCreatedOnFirstUse)
{
  Start(CHAIN_BUNDLE);
  EXPECT_EQ(EventLog::Take(), "") << "delayed components are registered without an instance";
  // Tail comes first in the manifest but needs Front, which needs PrimaryStore.
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"PrimaryStore", "SecondaryStore"}));
  EXPECT_EQ(TestIds<Consumer>(), (std::vector<std::string>{"Front", "Tail"}));

  auto tail = Find<Consumer>("(test_id=Tail)");
  ASSERT_TRUE(tail);
  EXPECT_EQ(EventLog::Take(), "+PrimaryStore +Front +Tail") << "references are created before their user";
  EXPECT_EQ(tail->Describe(), "Tail>Front(primary)");

  // A singleton: every lookup and every route hands out the same object.
  auto context = Context();
  auto const reference = context.GetServiceReference<Consumer>();
  ASSERT_TRUE(reference);
  EXPECT_EQ(reference.GetProperty("test_id").ToString(), "Front");
  auto front = context.GetService(reference);
  EXPECT_EQ(context.GetServiceObjects(reference).GetService(), front);
  EXPECT_EQ(Find<Consumer>("(test_id=Tail)"), tail);
  EXPECT_EQ(EventLog::Take(), "");
  EXPECT_EQ(log.str(), "") << "nothing went wrong";
}

TEST_F(DeclarativeServices, ServicePropertiesAreTheManifestsPlusTheComponentsIdentity)
{
  Start(CHAIN_BUNDLE);
  auto const fronts = Context().GetServiceReferences<Consumer>("(test_id=Front)");
  ASSERT_EQ(fronts.size(), 1u);
  auto const& front = fronts.front();
  EXPECT_EQ(front.GetProperty("weight"), Any(3));
  EXPECT_EQ(front.GetProperty("primary"), Any(true));
  EXPECT_EQ(front.GetProperty(ComponentConstants::COMPONENT_NAME).ToString(), "Front");
  EXPECT_FALSE(front.GetProperty(ComponentConstants::COMPONENT_ID).Empty());
  EXPECT_EQ(front.GetProperty(cppmicroservices::Constants::OBJECTCLASS).ToString(), "[runtimetest::Consumer]");
  EXPECT_EQ(front.GetBundle().GetSymbolicName(), "runtimetest_chain");

  // Without a "name" the component is named after its class; ids differ per component.
  auto const stores = Context().GetServiceReferences<Storage>("(test_id=PrimaryStore)");
  ASSERT_EQ(stores.size(), 1u);
  EXPECT_EQ(stores.front().GetProperty(ComponentConstants::COMPONENT_NAME).ToString(), "runtimetest::PrimaryStoreImpl");
  EXPECT_NE(stores.front().GetProperty(ComponentConstants::COMPONENT_ID),
            front.GetProperty(ComponentConstants::COMPONENT_ID));

  // The manifest's values keep their JSON types, so filters compare them as such.
  EXPECT_EQ(TestIds<Consumer>("(&(weight>=2)(primary=true))"), std::vector<std::string>{"Front"});
  EXPECT_EQ(TestIds<Consumer>("(component.name=Tail)"), std::vector<std::string>{"Tail"});
}

TEST_F(DeclarativeServices, TargetsChooseAmongCandidatesAndRankingAmongMatches)
{
  auto context = Context();
  // Both match Front's target; the better ranked one, registered first, wins over the
  // bundle's own PrimaryStore. The other Storage services do not match at all.
  ServiceProperties properties = Ranked(10);
  properties["test_id"] = std::string("PrimaryStore");
  auto fake = context.RegisterService<Storage>(std::make_shared<StorageImpl>(), properties);
  Start(CHAIN_BUNDLE);

  auto tail = Find<Consumer>("(test_id=Tail)");
  ASSERT_TRUE(tail);
  EXPECT_EQ(tail->Describe(), "Tail>Front(test)");
  EXPECT_EQ(EventLog::Take(), "+Front +Tail") << "neither store of the bundle was needed";
}

TEST_F(DeclarativeServices, AComponentWaitsUntilItsReferenceIsSatisfied)
{
  Start(CHAIN_BUNDLE);
  Start(PROVIDER_BUNDLE);
  auto context = Context();
  auto source = context.RegisterService<Source>(std::make_shared<SourceImpl>("a"));
  // Bridge was satisfied when the provider bundle registered Remote, Relay only now.
  EXPECT_EQ(TestIds<Consumer>(), (std::vector<std::string>{"Front", "Tail", "Bridge", "Relay"}));
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Orphan)").empty()) << "nobody provides runtimetest::Missing";
  EXPECT_TRUE(context.GetServiceReferences("", "(component.name=Orphan)").empty());

  auto missing = context.RegisterService<Missing>(std::make_shared<MissingImpl>());
  EXPECT_EQ(TestIds<Consumer>("(test_id=Orphan)"), std::vector<std::string>{"Orphan"});
  missing.Unregister();
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Orphan)").empty());
  EXPECT_EQ(EventLog::Take(), "") << "registering and unregistering created no instance";
}

TEST_F(DeclarativeServices, ABoundServiceGoingAwayRebindsToTheNextMatch)
{
  Start(CHAIN_BUNDLE);
  auto context = Context();
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Relay)").empty());

  auto a = context.RegisterService<Source>(std::make_shared<SourceImpl>("a"));
  auto relay = Find<Consumer>("(test_id=Relay)");
  ASSERT_TRUE(relay);
  EXPECT_EQ(relay->Describe(), "Relay(a)");

  // A static reference keeps what it bound, even when a better match arrives.
  auto b = context.RegisterService<Source>(std::make_shared<SourceImpl>("b"), Ranked(5));
  EXPECT_EQ(Find<Consumer>("(test_id=Relay)"), relay);
  auto c = context.RegisterService<Source>(std::make_shared<SourceImpl>("c"), Ranked(1));
  relay.reset();
  EXPECT_EQ(EventLog::Take(), "+Relay");

  auto const before = context.GetServiceReferences<Consumer>("(test_id=Relay)");
  a.Unregister();
  EXPECT_EQ(EventLog::Take(), "-Relay") << "the instance bound to a was destroyed";
  auto const after = context.GetServiceReferences<Consumer>("(test_id=Relay)");
  ASSERT_EQ(after.size(), 1u) << "b and c still satisfy the reference";
  EXPECT_NE(after.front(), before.front()) << "the component was registered anew";
  EXPECT_TRUE(context.GetService(before.front()) == nullptr) << "the old registration hands out nothing";

  relay = Find<Consumer>("(test_id=Relay)");
  ASSERT_TRUE(relay);
  EXPECT_EQ(relay->Describe(), "Relay(b)") << "the best remaining match";
  relay.reset();
  EXPECT_EQ(EventLog::Take(), "+Relay");

  // An unbound match going away leaves the instance alone.
  c.Unregister();
  EXPECT_EQ(EventLog::Take(), "");
  b.Unregister();
  EXPECT_EQ(EventLog::Take(), "-Relay");
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Relay)").empty()) << "no match is left";
}

TEST_F(DeclarativeServices, AReferenceToAnotherBundleFollowsThatBundle)
{
  Start(CHAIN_BUNDLE);
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Bridge)").empty());
  auto provider = Start(PROVIDER_BUNDLE);
  auto bridge = Find<Consumer>("(test_id=Bridge)");
  ASSERT_TRUE(bridge);
  EXPECT_EQ(bridge->Describe(), "Bridge(provider)");
  bridge.reset();
  EXPECT_EQ(EventLog::Take(), "+Remote +Bridge");

  provider.Stop();
  EXPECT_EQ(EventLog::Take(), "-Bridge -Remote") << "the user goes before what it uses";
  EXPECT_TRUE(TestIds<Consumer>("(test_id=Bridge)").empty());
  EXPECT_EQ(TestIds<Consumer>(), (std::vector<std::string>{"Front", "Tail"})) << "the rest is unaffected";

  provider.Start();
  bridge = Find<Consumer>("(test_id=Bridge)");
  ASSERT_TRUE(bridge);
  EXPECT_EQ(bridge->Describe(), "Bridge(provider)");
  EXPECT_EQ(EventLog::Take(), "+Remote +Bridge");
}

TEST_F(DeclarativeServices, StoppingTheBundleDestroysUsersBeforeWhatTheyUse)
{
  auto chain = Start(CHAIN_BUNDLE);
  ASSERT_TRUE(Find<Consumer>("(test_id=Tail)"));
  EXPECT_EQ(EventLog::Take(), "+PrimaryStore +Front +Tail");

  chain.Stop();
  EXPECT_EQ(EventLog::Take(), "-Tail -Front -PrimaryStore");
  EXPECT_TRUE(TestIds<Consumer>().empty());
  EXPECT_TRUE(TestIds<Storage>().empty());

  chain.Start();
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"PrimaryStore", "SecondaryStore"}));
  EXPECT_EQ(EventLog::Take(), "");
}

TEST_F(DeclarativeServices, FaultyComponentsAreDisabledWithAReasonAndTheOthersWork)
{
  std::string const manifest = R"({
    "bundle.symbolic_name": "runtimetest_faulty",
    "scr": { "version": 1, "components": [
      { "implementation-class": "runtimetest::PrimaryStoreImpl",
        "service": { "interfaces": ["runtimetest::Storage"] }, "properties": { "test_id": "Good" } },
      { "name": "NoFactory", "implementation-class": "runtimetest::NowhereImpl",
        "service": { "interfaces": ["runtimetest::Storage"] } },
      { "name": "NullFactory", "implementation-class": "runtimetest::NullImpl",
        "service": { "interfaces": ["runtimetest::Storage"] }, "properties": { "test_id": "Null" } },
      { "name": "BadTarget", "implementation-class": "runtimetest::SecondaryStoreImpl",
        "service": { "interfaces": ["runtimetest::Storage"] },
        "references": [ { "name": "source", "interface": "runtimetest::Source", "target": "(test_id=" } ] },
      { "name": "NoInterface", "implementation-class": "runtimetest::SecondaryStoreImpl",
        "service": { "interfaces": ["runtimetest::Storage"] },
        "references": [ { "name": "source" } ] },
      { "name": "NoClass" },
      42,
      { "name": "Good2", "implementation-class": "runtimetest::SecondaryStoreImpl",
        "service": { "interfaces": ["runtimetest::Storage"] }, "properties": { "test_id": "Good2" } }
    ] }
  })";
  auto const dir = std::filesystem::path(::testing::TempDir()) / "runtimetest_faulty";
  std::filesystem::create_directories(dir);
  std::string const file = (dir / "libruntimetest_faulty.so").string();
  ArchiveWriter::CopyWithArchive(CHAIN_BUNDLE, file, {{"runtimetest_faulty/manifest.json", manifest}});

  auto bundle = Start(file);
  EXPECT_EQ(bundle.GetState(), cppmicroservices::Bundle::STATE_ACTIVE) << "faulty components do not fail the bundle";
  std::string const messages = log.str();
  for (
    std::string const expected :
    {R"(bundle "runtimetest_faulty": component "NoFactory": disabled, the bundle library does not export NewInstance_runtimetest_NowhereImpl)",
     R"(bundle "runtimetest_faulty": component "BadTarget": reference "source": invalid "target": Invalid LDAP filter)",
     R"(bundle "runtimetest_faulty": component "NoInterface": reference "source": "interface" is missing)",
     R"(bundle "runtimetest_faulty": component #6: "implementation-class" is missing)",
     R"(bundle "runtimetest_faulty": component #7: must be an object)"}) {
    EXPECT_NE(messages.find(expected), std::string::npos) << "missing: " << expected << "\nlog:\n" << messages;
  }

  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"Good", "Null", "Good2"}));
  auto good = Find<Storage>("(test_id=Good)");
  ASSERT_TRUE(good);
  EXPECT_EQ(good->Name(), "primary");

  // A factory that makes nothing disables its component on first use.
  EXPECT_EQ(Find<Storage>("(test_id=Null)"), nullptr);
  EXPECT_NE(
    log.str().find(R"(component "NullFactory": disabled, NewInstance_runtimetest_NullImpl returned no instance)"),
    std::string::npos)
    << log.str();
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"Good", "Good2"}));
  ASSERT_TRUE(Find<Storage>("(test_id=Good2)"));
  EXPECT_EQ(EventLog::Take(), "+PrimaryStore +SecondaryStore");
  std::filesystem::remove_all(dir);
}

} // namespace runtimetest
