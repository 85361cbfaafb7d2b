#include <richmarkup/host/BundleLocator.hpp>

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace richmarkup::host {
namespace {

namespace fs = std::filesystem;

class BundleLocatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        root = fs::temp_directory_path() / ("richmarkup-locator-" + std::to_string(::getpid()));
        fs::remove_all(root);
        fs::create_directories(root / "a");
        fs::create_directories(root / "b");
        fs::create_directories(root / "c" / "lib.so"); // a directory of that name is no bundle
    }
    void TearDown() override { fs::remove_all(root); }
    void touch(fs::path const& path) { std::ofstream(path) << "x"; }

    fs::path root;
};

TEST_F(BundleLocatorTest, FirstDirectoryHoldingTheFileWins) {
    touch(root / "b" / "lib.so");
    touch(root / "a" / "other.so");
    BundleLocator const locator({root / "c", root / "a", root / "b"});
    EXPECT_EQ(locator.find("lib.so"), root / "b" / "lib.so");
    touch(root / "a" / "lib.so");
    EXPECT_EQ(locator.find("lib.so"), root / "a" / "lib.so");
    EXPECT_EQ(locator.find("missing.so"), std::nullopt);
}

} // namespace
} // namespace richmarkup::host
