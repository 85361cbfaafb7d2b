#include "ArchiveWriter.hpp"
#include "RuntimeFixture.hpp"

#include <cppmicroservices/Constants.h>

#include <filesystem>
#include <fstream>

namespace runtimetest {

namespace {

using cppmicroservices::Bundle;

class StorageImpl final : public Storage
{
public:
  std::string Name() const override { return "test"; }
};

class Framework : public RuntimeTest
{
protected:
  void SetUp() override
  {
    RuntimeTest::SetUp();
    dir = std::filesystem::path(::testing::TempDir()) /
          ("runtimetest_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }

  void TearDown() override
  {
    RuntimeTest::TearDown();
    std::filesystem::remove_all(dir);
  }

  /// The message of the error that installing file gives, or "" when it installs.
  std::string InstallError(std::string const& file)
  {
    try {
      Context().InstallBundles(file);
    } catch (std::runtime_error const& e) {
      return e.what();
    }
    return "";
  }

  /// A copy of a library that is no bundle, with an archive of the given entries appended.
  std::string Damaged(std::string const& name, ArchiveWriter::Entries const& entries)
  {
    std::string const file = (dir / ("lib" + name + ".so")).string();
    ArchiveWriter::CopyWithArchive(PLAIN_LIBRARY, file, entries);
    return file;
  }

  std::filesystem::path dir;
};

std::string const kInvalidContext = "The bundle context is no longer valid";

template <class Call>
std::string RuntimeErrorOf(Call&& call)
{
  try {
    call();
  } catch (std::runtime_error const& e) {
    return e.what();
  }
  return "no error";
}

} // namespace

TEST_F(Framework, InstallsABundleOnceAndRunsItThroughItsStates)
{
  Bundle chain = Install(CHAIN_BUNDLE);
  EXPECT_EQ(chain.GetSymbolicName(), "runtimetest_chain");
  EXPECT_EQ(chain.GetState(), Bundle::STATE_INSTALLED);
  EXPECT_FALSE(chain.GetBundleContext()) << "no context before the start";
  EXPECT_EQ(chain.GetHeaders().at("bundle.vendor").ToString(), "richmarkup tests");
  EXPECT_TRUE(TestIds<Storage>().empty()) << "installing runs nothing";

  auto const again = Context().InstallBundles(CHAIN_BUNDLE);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again.front(), chain) << "the same file installs the same bundle";
  auto const bundles = Context().GetBundles();
  ASSERT_EQ(bundles.size(), 2u);
  EXPECT_EQ(bundles.front().GetSymbolicName(), cppmicroservices::Constants::SYSTEM_BUNDLE_SYMBOLICNAME);

  chain.Start();
  EXPECT_EQ(chain.GetState(), Bundle::STATE_ACTIVE);
  EXPECT_TRUE(chain.GetBundleContext());
  EXPECT_FALSE(TestIds<Storage>().empty());
  chain.Start(); // no-op while active
  EXPECT_EQ(TestIds<Storage>(), (std::vector<std::string>{"PrimaryStore", "SecondaryStore"}));

  chain.Stop();
  EXPECT_EQ(chain.GetState(), Bundle::STATE_RESOLVED);
  chain.Stop(); // no-op while stopped
  EXPECT_EQ(chain.GetState(), Bundle::STATE_RESOLVED);
}

TEST_F(Framework, StoppingABundleInvalidatesItsContext)
{
  Bundle chain = Start(CHAIN_BUNDLE);
  auto context = chain.GetBundleContext();
  ASSERT_TRUE(context);
  auto probe = Find<ContextProbe>("");
  ASSERT_TRUE(probe);
  EXPECT_TRUE(probe->OwnContextValid()) << "the library was handed its context on start";

  chain.Stop();
  EXPECT_FALSE(context);
  EXPECT_FALSE(chain.GetBundleContext());
  EXPECT_FALSE(probe->OwnContextValid()) << "the library's stored context is cleared too";
  EXPECT_EQ(RuntimeErrorOf([&] { context.GetServiceReferences<Storage>(); }), kInvalidContext);
  EXPECT_EQ(RuntimeErrorOf([&] { context.GetServiceReferences("", ""); }), kInvalidContext);
  EXPECT_EQ(RuntimeErrorOf([&] { context.RegisterService<Storage>(std::make_shared<StorageImpl>()); }),
            kInvalidContext);
  EXPECT_EQ(RuntimeErrorOf([&] { context.InstallBundles(PROVIDER_BUNDLE); }), kInvalidContext);
  EXPECT_EQ(RuntimeErrorOf([&] { context.GetBundles(); }), kInvalidContext);

  chain.Start();
  EXPECT_FALSE(context) << "a restart makes a new context, the old one stays invalid";
  EXPECT_TRUE(chain.GetBundleContext());
  auto restarted = Find<ContextProbe>("");
  ASSERT_TRUE(restarted);
  EXPECT_TRUE(restarted->OwnContextValid());

  auto frameworkContext = Context();
  framework.Stop();
  EXPECT_EQ(chain.GetState(), Bundle::STATE_RESOLVED);
  EXPECT_EQ(RuntimeErrorOf([&] { frameworkContext.GetServiceReferences<Storage>(); }), kInvalidContext);
  EXPECT_EQ(framework.WaitForStop(std::chrono::milliseconds(0)).GetType(),
            cppmicroservices::FrameworkEvent::FRAMEWORK_STOPPED);
}

TEST_F(Framework, StopsBundlesInReverseStartOrder)
{
  Start(PROVIDER_BUNDLE);
  Bundle chain = Start(CHAIN_BUNDLE);
  ASSERT_TRUE(Find<Consumer>("(test_id=Bridge)"));
  EXPECT_EQ(EventLog::Take(), "+Remote +Bridge");
  framework.Stop();
  EXPECT_EQ(EventLog::Take(), "-Bridge -Remote");
  EXPECT_EQ(chain.GetState(), Bundle::STATE_RESOLVED);
}

TEST_F(Framework, LibrariesThatAreNoBundlesFailToInstallNamingFileAndProblem)
{
  struct Case
  {
    std::string file;
    std::string expected;
  };
  std::string const missing = (dir / "libnowhere.so").string();
  std::string const plainCopy = (dir / "libplain.so").string();
  std::filesystem::copy_file(PLAIN_LIBRARY, plainCopy);
  std::string const valid = R"({ "bundle.symbolic_name": "demo" })";
  std::vector<Case> const cases = {
    {missing, missing + ": cannot open file"},
    {plainCopy, plainCopy + ": no resource archive found"},
    {Damaged("nomanifest", {{"demo/readme.txt", "text"}}), "resource archive has no demo/manifest.json"},
    {Damaged("badjson", {{"demo/manifest.json", "{ \"bundle.symbolic_name\": \"demo\", "}}),
     "demo/manifest.json is not valid JSON"},
    {Damaged("array", {{"demo/manifest.json", "[1, 2]"}}), "demo/manifest.json is not a JSON object"},
    {Damaged("noname", {{"demo/manifest.json", R"({ "bundle.vendor": "x" })"}}),
     "demo/manifest.json has no string \"bundle.symbolic_name\""},
    {Damaged("numbername", {{"demo/manifest.json", R"({ "bundle.symbolic_name": 7 })"}}),
     "demo/manifest.json has no string \"bundle.symbolic_name\""},
    {Damaged("elsewhere", {{"other/manifest.json", valid}}),
     "other/manifest.json names the bundle \"demo\" but lies in the directory \"other\""},
  };
  for (auto const& c : cases) {
    std::string const message = InstallError(c.file);
    EXPECT_NE(message.find(c.expected), std::string::npos) << c.file << "\n -> " << message;
    EXPECT_EQ(message.rfind(c.file, 0), 0u) << "the message starts with the file: " << message;
  }
  EXPECT_EQ(Context().GetBundles().size(), 1u) << "nothing was installed";
  EXPECT_NE(InstallError("").find("empty location"), std::string::npos);
}

TEST_F(Framework, ABundleWhoseLibraryCannotBeLoadedStaysInstalled)
{
  // A valid archive on a file that is no shared library: installs, but cannot start.
  std::string const text = (dir / "notes.txt").string();
  std::ofstream(text) << "not an ELF file\n";
  std::string const file = (dir / "libnotes.so").string();
  ArchiveWriter::CopyWithArchive(text, file, {{"notes/manifest.json", R"({ "bundle.symbolic_name": "notes" })"}});

  Bundle notes = Install(file);
  EXPECT_EQ(notes.GetSymbolicName(), "notes");
  std::string const message = RuntimeErrorOf([&] { notes.Start(); });
  EXPECT_NE(message.find(file + ": cannot load bundle library"), std::string::npos) << message;
  EXPECT_EQ(notes.GetState(), Bundle::STATE_INSTALLED);
  EXPECT_FALSE(notes.GetBundleContext());
}

} // namespace runtimetest
