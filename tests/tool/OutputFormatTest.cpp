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
          "<math class=\"equation\" display=\"inline\" alttext=\"Euler&#39;s identity\" data-encoding=\"latex\">",
          "<annotation encoding=\"application/x-tex\">e^{i\\pi} + 1 = 0</annotation>", "<ol id=\"M_steps\">",
          "<th style=\"text-align:left\"><p>Kind</p>",
          "<a href=\"#H_text\" data-target-type=\"anchor\">Formatted text</a>", "<col style=\"width:320px\">",
          "<pre class=\"code\" id=\"M_hello\" data-type=\"cpp\">",
          "<span class=\"tok tok-string\">&quot;&lt;hello &amp; goodbye&gt;&quot;</span>"}) {
        EXPECT_THAT(run.out, HasSubstr(piece));
    }
    EXPECT_THAT(run.out, Not(HasSubstr("<hello")));
}

// --math: what each mode asks of the machine, and that a page never loses an equation.
TEST(HtmlMathOptionTest, WithoutPandocTheDefaultSaysSoOncePerRunAndAskingForMathmlIsAnError) {
    ToolRunner tool;
    auto const paragraph = [](char const* tex) {
        return std::string(
                   R"({"className":"RichTextParagraphNode","children":[{"className":"EquationNode","texString":")") +
               tex + "\"}]}";
    };
    tool.file("a.json", paragraph("x^2"));
    tool.file("b.json", paragraph("y"));
    tool.environment = "PATH=/nonexistent"; // the tool's own path is absolute
    ToolRun run = tool.run("-t html --output-dir out -j 2 a.json b.json");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "warning: equations are written as TeX: no TeX-to-MathML converter (apt-get install pandoc; "
                       "--math plain chooses TeX without this warning)\n");
    EXPECT_THAT(ToolRunner::read(tool.directory() / "out" / "a.html"), HasSubstr("<code class=\"tex\">x^2</code>"));
    EXPECT_EQ(tool.run("-q -t html a.json").err, "");
    EXPECT_EQ(tool.run("-t html --math plain a.json").err, "");
    // Only HTML shows equations so: no other format looks for a converter.
    EXPECT_EQ(tool.run("-t markdown --math mathml a.json").status, 0);
    for (char const* asked : {"-t html --math mathml a.json", "-t html --strict a.json"}) {
        run = tool.run(asked);
        EXPECT_EQ(run.status, 2) << asked;
        EXPECT_EQ(run.out, "") << asked;
        EXPECT_THAT(run.err, HasSubstr("--math mathml needs a TeX-to-MathML converter: apt-get install pandoc"))
            << asked;
    }
    // The script modes need nothing here: the browser loads the script.
    run = tool.run("-t html --math katex a.json");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("\\(x^2\\)"));
}

TEST(HtmlMathOptionTest, RejectedTexIsKeptAndWarnedOfAtItsPlaceAndBadSettingsAreRefused) {
    ToolRunner tool;
    if (!tool.run("-t html --math mathml " + ToolRunner::example("inline.json") + " > /dev/null").err.empty()) {
        GTEST_SKIP() << "no pandoc";
    }
    tool.file("bad.json", "[{\"className\":\"RichTextParagraphNode\",\"children\":[\n"
                          "  {\"className\":\"EquationNode\",\"texString\":\"x\"},\n"
                          "  {\"className\":\"EquationNode\",\"texString\":\"\\\\frac{\"}]}]\n");
    ToolRun run = tool.run("-t html bad.json");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_THAT(run.out, HasSubstr("<annotation encoding=\"application/x-tex\">x</annotation>"));
    EXPECT_THAT(run.out, HasSubstr("<code class=\"tex\">\\frac{</code>"));
    EXPECT_EQ(run.err, "warning: bad.json:3:3: /0/children/1: equation \"\\\\frac{\" not typeset (pandoc: "
                       "unexpected eof): written as its TeX\n");
    EXPECT_EQ(tool.run("-t html --strict bad.json").status, 1);
    for (char const* bad : {"--math=tex", "'--math=katex=javascript:alert(1)'", "--math=plain=x"}) {
        run = tool.run(std::string("-t html ") + bad + " bad.json");
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_THAT(run.err, HasSubstr("error: --math ")) << bad;
    }
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
