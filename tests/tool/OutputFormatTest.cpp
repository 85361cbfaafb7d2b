#include "ToolRunner.hpp"

#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace richmarkup::tool::test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct ExampleOutput {
    std::string document; // examples/<document>.json
    std::string format;   // compared with examples/expected/<document>.<format> (markdown: .md)
};

class ExampleOutputTest : public ::testing::TestWithParam<ExampleOutput> {};

TEST_P(ExampleOutputTest, MatchesTheExpectedFile) {
    ToolRunner tool;
    ExampleOutput const& p = GetParam();
    // Run from the examples' folder, so that messages name the example as the expected file does.
    ToolRun const run = tool.run("-t " + p.format + " " + p.document + ".json", {}, {}, ToolRunner::example(""));
    EXPECT_EQ(run.status, 0) << run.err;
    std::string const extension = p.format == "markdown" ? "md" : p.format;
    std::string const expected = "expected/" + p.document + "." + extension;
    EXPECT_EQ(run.out, ToolRunner::read(ToolRunner::example(expected)));
    // What the writer could not keep as the model holds it, said at its element.
    std::filesystem::path const warnings = ToolRunner::example(expected + ".warnings");
    EXPECT_EQ(run.err, std::filesystem::exists(warnings) ? ToolRunner::read(warnings) : std::string());
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleOutputTest,
                         ::testing::Values(ExampleOutput{"showcase", "tree"}, ExampleOutput{"showcase", "json"},
                                           ExampleOutput{"inline", "tree"}, ExampleOutput{"inline", "json"},
                                           ExampleOutput{"tables", "tree"}, ExampleOutput{"tables", "json"},
                                           ExampleOutput{"code", "tree"}, ExampleOutput{"code", "json"},
                                           ExampleOutput{"showcase", "markdown"}, ExampleOutput{"inline", "markdown"},
                                           ExampleOutput{"tables", "markdown"}, ExampleOutput{"code", "markdown"}),
                         [](auto const& info) { return info.param.document + "_" + info.param.format; });

TEST(OutputFormatTest, TreeIsTheDefault) {
    ToolRunner tool;
    std::string const input = ToolRunner::example("inline.json");
    EXPECT_EQ(tool.run("'" + input + "'").out, tool.run("--format tree '" + input + "'").out);
}

TEST(OutputFormatTest, HtmlRendersTheShowcase) {
    ToolRunner tool;
    ToolRun const run = tool.run("-t html '" + ToolRunner::example("showcase.json") + "'");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("<!DOCTYPE html>", 0), 0u);
    for (char const* piece :
         {"<h1 id=\"T_showcase\">A tour of every element kind</h1>", "<nav class=\"toc\" id=\"contents\"><ul>",
          "<p id=\"M_intro\" style=\"text-align:justify\">", "<strong>bold</strong>",
          "<a href=\"https://example.org/guide#install\" data-target-type=\"url\">",
          "<img src=\"https://example.org/logo.png\" width=\"64\" height=\"32\"",
          "<code class=\"tex\">e^{i\\pi} + 1 = 0</code>", "<ol id=\"M_steps\">",
          "<th style=\"text-align:left\"><p>Kind</p>",
          "<a href=\"#H_text\" data-target-type=\"anchor\">Formatted text</a>", "<col style=\"width:320px\">",
          "<pre class=\"code\" id=\"M_hello\" data-type=\"cpp\">",
          "<span class=\"tok tok-string\">&quot;&lt;hello &amp; goodbye&gt;&quot;</span>"}) {
        EXPECT_THAT(run.out, HasSubstr(piece));
    }
    EXPECT_THAT(run.out, Not(HasSubstr("<hello")));
}

TEST(OutputFormatTest, NoneWritesNothing) {
    ToolRunner tool;
    ToolRun const run = tool.run("-t none '" + ToolRunner::example("showcase.json") + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
}

} // namespace
} // namespace richmarkup::tool::test
