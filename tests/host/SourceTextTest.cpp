#include <richmarkup/host/SourceText.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace richmarkup::host {
namespace {

std::string const text = "[\n  {\"className\": \"HeadingNode\",\n   \"level\": \"2\"}\n]\n";

TEST(SourceText, DiagnosticsAsDataWithTheirPlaceFromKeptOrReReadText) {
    SourceText kept("<stdin>", "", text);
    Diagnostic const warning = kept.locate(BuildWarning{1, "no builder; skipped", "/0"});
    EXPECT_EQ(warning.severity, Diagnostic::Severity::Warning);
    EXPECT_EQ(warning.file, "<stdin>");
    EXPECT_EQ(warning.line, 2u);
    EXPECT_EQ(warning.column, 3u);
    EXPECT_EQ(warning.toString(), "warning: <stdin>:2:3: /0: no builder; skipped");

    auto const path = std::filesystem::path(::testing::TempDir()) / "source_text.json";
    std::ofstream(path) << text;
    SourceText file("doc.json", path.string());
    ElementBuildError const error(1, "invalid conversion: string to double", "/0/level",
                                  "\"level\" must be a double, not a string");
    EXPECT_EQ(file.locate(error).toString(), "error: doc.json:3:13: /0/level: invalid conversion: string to double "
                                             "(\"level\" must be a double, not a string)");
    std::filesystem::remove(path);

    // The whole document is shown as "/"; a pointer the text does not hold stays at 1:1.
    SourceText whole("<stdin>", "", "{}");
    EXPECT_EQ(whole.locate(BuildWarning{1, "m", ""}).toString(), "warning: <stdin>:1:1: /: m");
    EXPECT_EQ(whole.locate(BuildWarning{1, "m", "/9/x"}, Diagnostic::Severity::Error).toString(),
              "error: <stdin>:1:1: /9/x: m");
}

} // namespace
} // namespace richmarkup::host
