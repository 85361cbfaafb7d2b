#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace richmarkup::tool::test {
namespace {

using ::testing::ContainsRegex;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"hello"}]})";

TEST(OptionsTest, StandardInputIsReadForDashOrNoInput) {
    ToolRunner tool;
    std::string const expected = "RichTextParagraphNode alignment=left\n  RichTextNode \"hello\"\n";
    EXPECT_EQ(tool.run("-", paragraph).out, expected);
    EXPECT_EQ(tool.run("", paragraph).out, expected);
    EXPECT_EQ(tool.run("-t tree", paragraph).out, expected);
}

TEST(OptionsTest, ListBuildersWithAndWithoutCodeElements) {
    ToolRunner tool;
    ToolRun const with = tool.run("--list-builders");
    ToolRun const without = tool.run("--list-builders --no-code-elements");
    ASSERT_EQ(with.status, 0) << with.err;
    ASSERT_EQ(without.status, 0) << without.err;

    std::vector<std::string> const all = ToolRunner::lines(with.out);
    std::vector<std::string> const some = ToolRunner::lines(without.out);
    EXPECT_EQ(all.size(), 15u);
    EXPECT_EQ(some.size(), 13u);
    for (auto const& line : all) {
        EXPECT_THAT(line, ContainsRegex("^richmarkup::build::json::(text::TextElement|Node)Builder\t[A-Za-z-]+\t.+$"));
    }
    EXPECT_EQ(all.front(), "richmarkup::build::json::NodeBuilder\tRichTextParagraphNodeBuilderImpl\t"
                           "richmarkup::build::json::text::RichTextParagraphNodeBuilderImpl");
    EXPECT_THAT(with.out, HasSubstr("\tCodeExampleBlockBuilderImpl\t"));
    EXPECT_THAT(with.out, HasSubstr("\tCodeExampleLineBuilderImpl\t"));
    EXPECT_THAT(without.out, Not(HasSubstr("CodeExample")));
}

TEST(OptionsTest, LogFileHoldsOneRecordALine) {
    ToolRunner tool;
    ToolRun const run = tool.run(
        "--log build.log -t none -",
        R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"two\nlines"}]})");
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> const records = ToolRunner::lines(ToolRunner::read(tool.directory() / "build.log"));
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front(), "Checking if can build RichTextParagraphNode");
    EXPECT_NE(std::find(records.begin(), records.end(), "Starting to build a RichTextNode"), records.end());
    EXPECT_NE(std::find(records.begin(), records.end(), "Setting node text to two\\nlines"), records.end());
    EXPECT_EQ(run.err, "");
}

TEST(OptionsTest, LogDashGoesToStandardErrorAndNoLogMeansNoRecords) {
    ToolRunner tool;
    ToolRun const logged = tool.run("--log - -t none -", paragraph);
    EXPECT_THAT(logged.err, StartsWith("Checking if can build RichTextParagraphNode\n"));
    EXPECT_EQ(logged.out, "");
    ToolRun const quiet = tool.run("-t none -", paragraph);
    EXPECT_EQ(quiet.err, "");
}

TEST(OptionsTest, StatsCountElementsNodesAndRecords) {
    ToolRunner tool;
    ToolRun const run = tool.run("--stats --log records.log -t none -", "[" + paragraph + "," + paragraph + "]");
    ASSERT_EQ(run.status, 0) << run.err;
    std::size_t const written = ToolRunner::lines(ToolRunner::read(tool.directory() / "records.log")).size();
    EXPECT_THAT(run.err, HasSubstr("stats: elements: 2 top-level, 4 in total\n"));
    EXPECT_THAT(run.err, HasSubstr("stats: nodes: 4\n"));
    EXPECT_THAT(run.err, HasSubstr("stats: records: " + std::to_string(written) + "\n"));
    for (char const* phase : {"read\\+parse", "build", "write"}) {
        EXPECT_THAT(run.err, ContainsRegex(std::string("stats: ") + phase + ": [0-9]+\\.[0-9]{3} ms"));
    }
}

TEST(OptionsTest, VersionAndHelp) {
    ToolRunner tool;
    ToolRun const version = tool.run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_THAT(version.out, StartsWith("richmarkup-build "));
    ToolRun const help = tool.run("--help");
    EXPECT_EQ(help.status, 0);
    for (char const* option :
         {"--format", "--output", "--log", "--bundle", "--no-code-elements", "--list-builders", "--stats"}) {
        EXPECT_THAT(help.out, HasSubstr(option));
    }
}

TEST(OptionsTest, ExtraBundlesAreRepeatableAndKeepTheInput) {
    ToolRunner tool;
    // Installing a bundle again gives the bundle already installed: nothing changes.
    std::string const bundleDir =
        std::string(RICHMARKUP_NOT_A_BUNDLE).substr(0, std::string(RICHMARKUP_NOT_A_BUNDLE).rfind('/'));
    std::string const code = bundleDir + "/libztrichmarkup_build_json_code.so";
    ToolRun const run = tool.run("--bundle '" + code + "' --bundle '" + code + "' -", paragraph);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "RichTextParagraphNode alignment=left\n  RichTextNode \"hello\"\n");
}

} // namespace
} // namespace richmarkup::tool::test
