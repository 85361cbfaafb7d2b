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

TEST(SourceText, AKeyGivenTwiceIsNamedWithThePlaceOfEachValue) {
    SourceText kept("in.json", "",
                    "[{\"className\": \"P\",\n  \"className\": \"H\", \"className\": \"L\",\n  \"a\": 1}]");
    EXPECT_EQ(kept.locate(BuildWarning{1, "duplicate key \"className\": the last value is used, the others ignored",
                                       "/0/className"})
                  .toString(),
              "warning: in.json:2:34: /0/className: duplicate key \"className\": the value at 2:34 is used, the "
              "ones at 1:16 and 2:16 ignored");
    SourceText two("in.json", "", "{\"a\":1,\n \"a\":2}");
    EXPECT_EQ(
        two.locate(BuildWarning{1, "duplicate key \"a\": the last value is used, the others ignored", "/a"}).toString(),
        "warning: in.json:2:6: /a: duplicate key \"a\": the value at 2:6 is used, the one at 1:6 ignored");
}

TEST(SourceText, NumbersAreShownAsTheTextWroteThem) {
    SourceText kept("in.json", "", R"([{"width": 9007199254740993, "height": 2.50, "level": 1E2}])");
    EXPECT_EQ(kept.locate(BuildWarning{1,
                                       "\"width\" 9007199254740992 is not a whole number from 0 to "
                                       "9007199254740991; the model stores 9007199254740992",
                                       "/0/width"})
                  .message,
              "\"width\" 9007199254740993 is not a whole number from 0 to 9007199254740991; the model stores "
              "9007199254740992");
    EXPECT_EQ(kept.locate(BuildWarning{1, "\"height\" 2.5 is odd; stores 2", "/0/height"}).message,
              "\"height\" 2.50 is odd; stores 2");
    // Only a mention that stands alone is the number: not the 100 inside 1100.
    EXPECT_EQ(kept.locate(BuildWarning{1, "1100 then 100", "/0/level"}).message, "1100 then 1E2");
}

TEST(SourceText, EachDiagnosticIsOneLineOfPrintableText) {
    // A key holding ESC, a line feed and NUL; a file name with a line feed and a byte that is no UTF-8.
    std::string const key("k\x1b[31m\n\0", 8);
    Diagnostic const d{Diagnostic::Severity::Warning,
                       "a\nb\xFF.json",
                       3,
                       4,
                       "/0/" + key,
                       "unknown key \"k\\u001b[31m\\n\\u0000\" is ignored, near \x1b[0m\xC3 \xC2\x9B"};
    EXPECT_EQ(d.toString(), "warning: a\\nb\\xff.json:3:4: /0/k\\x1b[31m\\n\\x00: unknown key "
                            "\"k\\u001b[31m\\n\\u0000\" is ignored, near \\x1b[0m\\xc3 \\u009b");
    Diagnostic const slash{Diagnostic::Severity::Error, "x\\y", 1, 1, "/a\\b", "m", false};
    EXPECT_EQ(slash.toString(), "error: x\\\\y:1:1: /a\\\\b: m");
}

TEST(SourceText, TextTheParserCannotReadIsAnErrorWithThePointerItHas) {
    SourceText source("in.json", "");
    foundation::json::ParseError const range(3, 14, "the number 1e999 is out of range", std::string("/0/height"));
    EXPECT_EQ(source.locate(range).toString(), "error: in.json:3:14: /0/height: the number 1e999 is out of range");
    foundation::json::ParseError const syntax(2, 1, "unexpected end of input");
    EXPECT_EQ(source.locate(syntax).toString(), "error: in.json:2:1: unexpected end of input");
}

} // namespace
} // namespace richmarkup::host
