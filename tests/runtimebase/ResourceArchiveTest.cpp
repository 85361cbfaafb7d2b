#include "ResourceArchive.hpp"
#include "ZipLocator.hpp"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <zip.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

using cppmicroservices::detail::ResourceArchive;
using cppmicroservices::detail::ZipLocator;
namespace fs = std::filesystem;

namespace {

std::string ReadFile(fs::path const& path)
{
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

void WriteFile(fs::path const& path, std::string const& content)
{
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string RandomBytes(std::size_t size, unsigned seed)
{
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (auto& c : bytes) {
    c = static_cast<char>(random() % 256);
  }
  return bytes;
}

std::string ErrorOf(fs::path const& path)
{
  try {
    ResourceArchive const archive(path.string());
    for (auto const& name : archive.GetEntryNames()) {
      (void)archive.Read(name);
    }
    return "";
  } catch (std::runtime_error const& e) {
    return e.what();
  }
}

class ResourceArchiveTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    dir = fs::path(::testing::TempDir()) /
          ("runtimebase_archive_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    library = dir / "libfake.so";
    libraryBytes = RandomBytes(5000, 7) + "PK\x05\x06 not an end record";
    WriteFile(library, libraryBytes);
    manifest = dir / "manifest.json";
    WriteFile(manifest, manifestText);
  }
  void TearDown() override { fs::remove_all(dir); }

  /// Runs the resource compiler; returns its exit status, its stderr in `errors`.
  int Compile(std::string const& arguments, fs::path const& workingDirectory = {})
  {
    fs::path const errorFile = dir / "stderr.txt";
    std::string const command = (workingDirectory.empty() ? "" : "cd " + workingDirectory.string() + " && ") +
                                std::string(RESOURCE_COMPILER) + " " + arguments + " 2>" + errorFile.string();
    int const status = std::system(command.c_str());
    errors = ReadFile(errorFile);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  int AppendArchive(std::string const& extra = "", fs::path const& workingDirectory = {})
  {
    return Compile("-n demo_bundle -m " + manifest.string() + " -b " + library.string() + " " + extra,
                   workingDirectory);
  }

  std::string const manifestText =
    R"({ "bundle.symbolic_name": "demo_bundle", "bundle.activator": false, "padding": ")" + std::string(300, 'x') +
    R"(" })";
  fs::path dir;
  fs::path library;
  fs::path manifest;
  std::string libraryBytes;
  std::string errors;
};

TEST_F(ResourceArchiveTest, RoundTripThroughALibraryFile)
{
  ASSERT_EQ(AppendArchive(), 0) << errors;
  std::string const written = ReadFile(library);
  EXPECT_EQ(written.substr(0, libraryBytes.size()), libraryBytes) << "the library's own bytes stay untouched";

  ResourceArchive const archive(library.string());
  EXPECT_EQ(archive.GetArchiveOffset(), libraryBytes.size());
  EXPECT_EQ(archive.GetEntryNames(), (std::vector<std::string>{"demo_bundle/", "demo_bundle/manifest.json"}));
  EXPECT_EQ(archive.GetTopLevelDirectories(), std::vector<std::string>{"demo_bundle"});
  EXPECT_TRUE(archive.Contains("demo_bundle/manifest.json"));
  EXPECT_FALSE(archive.Contains("demo_bundle/other.json"));
  EXPECT_EQ(archive.Read("demo_bundle/manifest.json"), manifestText);
  EXPECT_EQ(archive.Read("demo_bundle/"), "");

  try {
    (void)archive.Read("demo_bundle/other.json");
    FAIL();
  } catch (std::runtime_error const& e) {
    EXPECT_EQ(std::string(e.what()), library.string() + ": resource archive has no entry demo_bundle/other.json");
  }
}

TEST_F(ResourceArchiveTest, StandaloneZipIsDeflated)
{
  fs::path const zipPath = dir / "out.zip";
  ASSERT_EQ(
    Compile("--bundle-name demo_bundle --manifest-add " + manifest.string() + " --out-file " + zipPath.string()), 0)
    << errors;
  int error = 0;
  zip_t* zip = zip_open(zipPath.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
  ASSERT_NE(zip, nullptr) << error;
  zip_stat_t stat;
  ASSERT_EQ(zip_stat(zip, "demo_bundle/manifest.json", 0, &stat), 0);
  EXPECT_EQ(stat.comp_method, ZIP_CM_DEFLATE);
  EXPECT_LT(stat.comp_size, stat.size);
  zip_discard(zip);

  // The same inputs always give the same bytes.
  std::string const first = ReadFile(zipPath);
  ASSERT_EQ(
    Compile("--bundle-name demo_bundle --manifest-add " + manifest.string() + " --out-file " + zipPath.string()), 0);
  EXPECT_EQ(ReadFile(zipPath), first);
}

TEST_F(ResourceArchiveTest, AppendingAgainReplacesTheArchive)
{
  ASSERT_EQ(AppendArchive(), 0) << errors;
  std::string const once = ReadFile(library);
  ASSERT_EQ(AppendArchive(), 0) << errors;
  EXPECT_EQ(ReadFile(library), once) << "a re-run post-build step must not stack archives";

  std::string const changed = R"({ "bundle.symbolic_name": "demo_bundle", "v": 2 })";
  WriteFile(manifest, changed);
  ASSERT_EQ(AppendArchive(), 0) << errors;
  ResourceArchive const archive(library.string());
  EXPECT_EQ(archive.GetArchiveOffset(), libraryBytes.size());
  EXPECT_EQ(archive.Read("demo_bundle/manifest.json"), changed);
}

TEST_F(ResourceArchiveTest, ResourcesGoUnderTheBundleDirectory)
{
  fs::create_directories(dir / "res" / "sub");
  WriteFile(dir / "res" / "sub" / "a.txt", "alpha");
  WriteFile(dir / "res" / "b.txt", "beta");
  ASSERT_EQ(AppendArchive("-r sub/a.txt -r ./b.txt", dir / "res"), 0) << errors;

  ResourceArchive const archive(library.string());
  EXPECT_EQ(archive.Read("demo_bundle/sub/a.txt"), "alpha");
  EXPECT_EQ(archive.Read("demo_bundle/b.txt"), "beta");
  EXPECT_EQ(archive.Read("demo_bundle/manifest.json"), manifestText);

  // Outside the working directory, or twice, a resource has no place of its own.
  EXPECT_EQ(AppendArchive("-r ../libfake.so", dir / "res"), 1);
  EXPECT_NE(errors.find("../libfake.so: a resource must be given relative to the working directory"), std::string::npos)
    << errors;
  WriteFile(dir / "res" / "manifest.json", manifestText);
  EXPECT_EQ(AppendArchive("-r manifest.json", dir / "res"), 1);
  EXPECT_NE(errors.find("demo_bundle/manifest.json is added to the archive twice"), std::string::npos) << errors;
}

TEST_F(ResourceArchiveTest, ArchivesAndManifestsMergeIntoOne)
{
  // The way a build packs resources first and appends them after linking.
  fs::path const packed = dir / "res_0.zip";
  ASSERT_EQ(Compile("-n demo_bundle -r manifest.json -o " + packed.string(), dir), 0) << errors;
  WriteFile(dir / "extra.txt", "more");
  fs::path const more = dir / "res_1.zip";
  ASSERT_EQ(Compile("-n demo_bundle -r extra.txt -o " + more.string(), dir), 0) << errors;
  ASSERT_EQ(Compile("-b " + library.string() + " -z " + packed.string() + " -z " + more.string()), 0) << errors;
  {
    ResourceArchive const archive(library.string());
    EXPECT_EQ(archive.GetEntryNames(),
              (std::vector<std::string>{"demo_bundle/", "demo_bundle/manifest.json", "demo_bundle/extra.txt"}));
    EXPECT_EQ(archive.Read("demo_bundle/manifest.json"), manifestText);
    EXPECT_EQ(archive.Read("demo_bundle/extra.txt"), "more");
  }
  EXPECT_EQ(Compile("-b " + library.string() + " -z " + packed.string() + " -z " + packed.string()), 1);
  EXPECT_NE(errors.find("demo_bundle/manifest.json is added to the archive twice"), std::string::npos) << errors;

  // Several manifests become one object; a key given twice is refused.
  WriteFile(dir / "part.json", R"({ "scr": { "version": 1 } })");
  ASSERT_EQ(AppendArchive("-m " + (dir / "part.json").string()), 0) << errors;
  std::string const merged = ResourceArchive(library.string()).Read("demo_bundle/manifest.json");
  EXPECT_NE(merged.find(R"("bundle.symbolic_name": "demo_bundle")"), std::string::npos) << merged;
  EXPECT_NE(merged.find(R"("scr": {"version":1})"), std::string::npos) << merged;
  EXPECT_EQ(AppendArchive("-m " + manifest.string()), 1);
  EXPECT_NE(errors.find("\"bundle.symbolic_name\" is given by an earlier manifest too"), std::string::npos) << errors;
}

TEST_F(ResourceArchiveTest, CompilerRejectsBadInputAndLeavesTheLibraryAlone)
{
  WriteFile(manifest, "{ \"bundle.symbolic_name\": ");
  EXPECT_EQ(AppendArchive(), 1);
  EXPECT_NE(errors.find(manifest.string() + ": invalid JSON"), std::string::npos) << errors;

  WriteFile(manifest, R"({ "bundle.symbolic_name": "other" })");
  EXPECT_EQ(AppendArchive(), 1);
  EXPECT_NE(errors.find("\"other\" but the bundle is named \"demo_bundle\""), std::string::npos) << errors;
  // Added as a resource, as a build adds it, the manifest is checked all the same.
  EXPECT_EQ(Compile("-n demo_bundle -r manifest.json -b " + library.string(), dir), 1);
  EXPECT_NE(errors.find("\"other\" but the bundle is named \"demo_bundle\""), std::string::npos) << errors;

  WriteFile(manifest, "[1, 2]");
  EXPECT_EQ(AppendArchive(), 1);
  EXPECT_NE(errors.find("must be a JSON object"), std::string::npos) << errors;

  EXPECT_EQ(Compile("-n demo_bundle -m " + (dir / "absent.json").string() + " -b " + library.string()), 1);
  EXPECT_NE(errors.find("absent.json: cannot open file"), std::string::npos) << errors;

  EXPECT_EQ(Compile("-n bad-name -m " + manifest.string() + " -b " + library.string()), 1);
  EXPECT_NE(errors.find("invalid bundle name 'bad-name'"), std::string::npos) << errors;

  EXPECT_EQ(ReadFile(library), libraryBytes);
}

TEST_F(ResourceArchiveTest, MissingAndArchiveLessFilesGiveClearErrors)
{
  EXPECT_EQ(ErrorOf(dir / "absent.so"), (dir / "absent.so").string() + ": cannot open file");
  EXPECT_EQ(ErrorOf(library), library.string() + ": no resource archive found");
  WriteFile(dir / "empty.so", "");
  EXPECT_EQ(ErrorOf(dir / "empty.so"), (dir / "empty.so").string() + ": no resource archive found");
}

TEST_F(ResourceArchiveTest, TruncatedOrDamagedArchivesAreReportedAsSuch)
{
  ASSERT_EQ(AppendArchive(), 0) << errors;
  std::string const whole = ReadFile(library);

  // Cutting the end record off leaves no archive to find.
  WriteFile(library, whole.substr(0, whole.size() - 5));
  EXPECT_EQ(ErrorOf(library), library.string() + ": no resource archive found");

  // Cutting bytes from the middle leaves an end record that points outside the data.
  std::string shortened = whole;
  shortened.erase(libraryBytes.size() + 10, 40);
  WriteFile(library, shortened);
  EXPECT_EQ(ErrorOf(library).rfind(library.string() + ": corrupt resource archive: ", 0), 0u) << ErrorOf(library);

  // A flipped byte inside the deflated manifest fails the CRC or inflation.
  std::string damaged = whole;
  std::size_t const manifestData = damaged.find("manifest.json", libraryBytes.size()) + 13;
  damaged[manifestData + 20] = static_cast<char>(damaged[manifestData + 20] ^ 0x55);
  WriteFile(library, damaged);
  EXPECT_EQ(ErrorOf(library).rfind(library.string() + ": corrupt resource archive: ", 0), 0u) << ErrorOf(library);

  // The whole archive cut away before the end record's claimed central directory.
  std::string const archiveOnly = whole.substr(libraryBytes.size());
  WriteFile(library, archiveOnly.substr(archiveOnly.size() - 22));
  EXPECT_EQ(ErrorOf(library).rfind(library.string() + ": corrupt resource archive: ", 0), 0u) << ErrorOf(library);
}

TEST_F(ResourceArchiveTest, AnotherWritersStoredAndDeflatedEntriesReadAndTheirDamageIsNamed)
{
  // Written by libzip, not by the resource compiler: one entry stored, one deflated.
  fs::path const zipPath = dir / "other.zip";
  std::string const stored = "stored text, kept as it is " + std::string(200, 's');
  std::string const deflated = "deflated text " + std::string(2000, 'd');
  int error = 0;
  zip_t* zip = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(zip, nullptr) << error;
  for (auto const& [name, content, method] : {std::make_tuple("a/stored.txt", &stored, ZIP_CM_STORE),
                                              std::make_tuple("a/deflated.txt", &deflated, ZIP_CM_DEFLATE)}) {
    zip_source_t* source = zip_source_buffer(zip, content->data(), content->size(), 0);
    zip_int64_t const index = zip_file_add(zip, name, source, ZIP_FL_ENC_UTF_8);
    ASSERT_GE(index, 0);
    ASSERT_EQ(zip_set_file_compression(zip, static_cast<zip_uint64_t>(index), method, 0), 0);
  }
  ASSERT_EQ(zip_close(zip), 0);
  std::string const whole = libraryBytes + ReadFile(zipPath);
  WriteFile(library, whole);
  {
    ResourceArchive const archive(library.string());
    EXPECT_EQ(archive.Read("a/stored.txt"), stored);
    EXPECT_EQ(archive.Read("a/deflated.txt"), deflated);
  }

  auto const errorAfter = [&](std::size_t at, char byte) {
    std::string damaged = whole;
    damaged[at] = byte;
    WriteFile(library, damaged);
    return ErrorOf(library);
  };
  std::size_t const storedData = whole.find("stored text");
  EXPECT_NE(errorAfter(storedData + 3, 'X').find("entry a/stored.txt fails its CRC check"), std::string::npos);
  std::size_t const central = whole.find("PK\x01\x02", libraryBytes.size());
  ASSERT_EQ(whole.compare(central + 46, 12, "a/stored.txt"), 0);
  EXPECT_NE(errorAfter(central + 10, '\x0c').find("entry a/stored.txt uses compression method 12"), std::string::npos);
  EXPECT_NE(errorAfter(central + 8, '\x01').find("entry a/stored.txt is encrypted"), std::string::npos);
  std::size_t const localName = whole.find("a/stored.txt", libraryBytes.size());
  ASSERT_LT(localName, central);
  EXPECT_NE(errorAfter(localName, 'b').find("the local header of entry a/stored.txt names another"), std::string::npos);
}

TEST_F(ResourceArchiveTest, EntriesAboveTheSizeLimitAreRefused)
{
  fs::create_directories(dir / "res");
  WriteFile(dir / "res" / "huge.bin", std::string(ResourceArchive::kMaxEntrySize + 1, 'z'));
  ASSERT_EQ(AppendArchive("-r huge.bin", dir / "res"), 0) << errors;
  ResourceArchive const archive(library.string());
  EXPECT_EQ(archive.Read("demo_bundle/manifest.json"), manifestText);
  try {
    (void)archive.Read("demo_bundle/huge.bin");
    FAIL();
  } catch (std::runtime_error const& e) {
    EXPECT_NE(std::string(e.what()).find("limit"), std::string::npos) << e.what();
  }
}

TEST_F(ResourceArchiveTest, GarbageNeverCrashesTheReader)
{
  ASSERT_EQ(AppendArchive(), 0) << errors;
  std::string const whole = ReadFile(library);
  std::string const archiveOnly = whole.substr(libraryBytes.size());
  std::mt19937 random(99);
  for (int round = 0; round < 600; ++round) {
    std::string bytes = round % 3 == 0 ? RandomBytes(random() % 200, round) + archiveOnly : archiveOnly;
    int const flips = 1 + static_cast<int>(random() % 4);
    for (int i = 0; i < flips; ++i) {
      bytes[random() % bytes.size()] = static_cast<char>(random() % 256);
    }
    if (round % 5 == 0) {
      bytes.resize(random() % bytes.size());
    }
    WriteFile(library, bytes);
    std::string const error = ErrorOf(library); // "" when the damage missed everything checked
    if (!error.empty()) {
      EXPECT_EQ(error.rfind(library.string() + ": ", 0), 0u) << error;
    }
  }
}

TEST(ZipLocator, OnlyAnEndRecordClosingTheFileCounts)
{
  // A well-formed empty archive: just an end record.
  std::string const emptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  auto const found = ZipLocator::Locate(emptyArchive, 1000 + emptyArchive.size());
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(found->start, 1000u);
  EXPECT_EQ(found->entryCount, 0u);

  // The same record followed by one stray byte does not end the file.
  EXPECT_FALSE(ZipLocator::Locate(emptyArchive + "x", 2000).has_value());

  // A central directory larger than the bytes before the record is corrupt.
  std::string bad = emptyArchive;
  bad[12] = '\x10'; // central directory size 16, but only 0 bytes precede
  EXPECT_THROW(ZipLocator::Locate(bad, bad.size()), std::runtime_error);

  EXPECT_FALSE(ZipLocator::Locate("short", 5).has_value());
}

} // namespace
