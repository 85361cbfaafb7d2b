#include <richmarkup/host/DeclarativeServices.hpp>
#include <richmarkup/host/HostError.hpp>

#include "ElfDependencies.hpp"

#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;
using richmarkup::host::DeclarativeServices;
using richmarkup::host::elfDependencies;
using richmarkup::host::HostError;
using ::testing::Contains;
using ::testing::HasSubstr;

std::string ensureError(cppmicroservices::BundleContext context, fs::path const& bundle) {
    try {
        DeclarativeServices::ensure(context, bundle);
        return "";
    } catch (HostError const& e) {
        return e.what();
    }
}

// Both run on the bundled runtime, which says whatever its launch properties say.
#ifdef RICHMARKUP_TEST_BUNDLED_RUNTIME
TEST(DeclarativeServices, TheBundledRuntimeRunsItAndNeedsNoBundle) {
    auto framework = cppmicroservices::FrameworkFactory().NewFramework();
    framework.Start();
    EXPECT_TRUE(DeclarativeServices::runs(framework.GetBundleContext()));
    EXPECT_EQ(ensureError(framework.GetBundleContext(), "/nonexistent/libDeclarativeServices.so"), "");
    EXPECT_EQ(framework.GetBundleContext().GetBundles().size(), 1u) << "nothing was installed";
    framework.Stop();
    framework.WaitForStop(std::chrono::milliseconds::zero());
}

// A framework that says it runs no Declarative Services, as a CppMicroServices framework
// without its DS bundle does.
TEST(DeclarativeServices, AFrameworkWithoutItNeedsABundleThatStarts) {
    auto framework = cppmicroservices::FrameworkFactory().NewFramework(
        cppmicroservices::FrameworkConfiguration{{DeclarativeServices::builtInProperty, false}});
    framework.Start();
    auto context = framework.GetBundleContext();
    EXPECT_FALSE(DeclarativeServices::runs(context));
    EXPECT_THAT(ensureError(context, {}), HasSubstr("does not run Declarative Services"));
    EXPECT_THAT(ensureError(context, "/nonexistent/libDeclarativeServices.so"),
                HasSubstr("its bundle /nonexistent/libDeclarativeServices.so does not exist"));
    EXPECT_THAT(ensureError(context, RICHMARKUP_TEST_NOT_A_BUNDLE),
                HasSubstr(std::string("cannot start the Declarative Services bundle ") + RICHMARKUP_TEST_NOT_A_BUNDLE));
    framework.Stop();
    framework.WaitForStop(std::chrono::milliseconds::zero());
}
#endif

TEST(ElfDependencies, NamesALibrarysDependenciesAndNothingForOtherFiles) {
    EXPECT_THAT(elfDependencies(RICHMARKUP_TEST_NOT_A_BUNDLE), Contains("libstdc++.so.6"));

    fs::path const dir = fs::path(::testing::TempDir()) / "elf_dependencies";
    fs::create_directories(dir);
    std::ofstream(dir / "text.so") << "not an ELF file";
    EXPECT_TRUE(elfDependencies(dir / "text.so").empty());
    EXPECT_TRUE(elfDependencies(dir / "absent.so").empty());

    // Cut anywhere, a library gives its dependencies or none, and never reads past the end.
    std::ifstream in(RICHMARKUP_TEST_NOT_A_BUNDLE, std::ios::binary);
    std::string const whole{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (std::size_t size : {std::size_t(16), std::size_t(64), std::size_t(4096), whole.size() / 2, whole.size() - 1}) {
        std::ofstream(dir / "cut.so", std::ios::binary | std::ios::trunc).write(whole.data(), std::streamsize(size));
        auto const needed = elfDependencies(dir / "cut.so");
        EXPECT_LE(needed.size(), elfDependencies(RICHMARKUP_TEST_NOT_A_BUNDLE).size()) << size;
    }
    fs::remove_all(dir);
}

} // namespace
