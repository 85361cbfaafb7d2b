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
        fs::create_directories(root / "c" / "lib.so");  // a directory of that name is no bundle
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

TEST_F(BundleLocatorTest, DefaultsStartBesideTheExecutableWithoutDuplicates) {
    auto const dirs = BundleLocator::defaultDirectories();
    ASSERT_GE(dirs.size(), 3u);
    fs::path const exe = fs::read_symlink("/proc/self/exe").parent_path();
    EXPECT_EQ(dirs[0], exe);
    EXPECT_EQ(dirs[1], (exe / ".." / "lib").lexically_normal());
    EXPECT_EQ(dirs[2], (exe / ".." / "lib" / "richmarkup").lexically_normal());
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        for (std::size_t j = i + 1; j < dirs.size(); ++j) {
            EXPECT_NE(dirs[i], dirs[j]);
        }
    }
    EXPECT_EQ(BundleLocator().directories(), dirs);  // no directories given: the defaults
}

} // namespace
} // namespace richmarkup::host
