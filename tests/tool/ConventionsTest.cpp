// The command line as pandoc and jq users expect it, one group per habit.
#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace richmarkup::tool::test {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string paragraphOf(std::string const& text) {
    return R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":")" + text +
           R"("}]})";
}
std::string treeOf(std::string const& text) {
    return "RichTextParagraphNode alignment=left\n  RichTextNode \"" + text + "\"\n";
}

TEST(ConventionsTest, ToNamesTheOutputAndFromTheInput) {
    ToolRunner tool;
    std::string const json = tool.run("-t json -", paragraphOf("a")).out;
    EXPECT_THAT(json, StartsWith("["));
    EXPECT_EQ(tool.run("--to json -", paragraphOf("a")).out, json);
    EXPECT_EQ(tool.run("--format JSON -", paragraphOf("a")).out, json);
    EXPECT_EQ(tool.run("-f richtext -t json -", paragraphOf("a")).out, json);
}

TEST(ConventionsTest, WithoutToTheOutputFollowsItsExtension) {
    ToolRunner tool;
    auto written = [&](std::string const& name) {
        ToolRun const run = tool.run("-o " + name + " -", paragraphOf("a"));
        EXPECT_EQ(run.status, 0) << run.err;
        return ToolRunner::read(tool.directory() / name);
    };
    EXPECT_THAT(written("page.html"), StartsWith("<!DOCTYPE html>"));
    EXPECT_THAT(written("page.HTM"), StartsWith("<!DOCTYPE html>"));
    EXPECT_THAT(written("model.json"), StartsWith("["));
    EXPECT_EQ(written("notes.md"), "a\n");
    EXPECT_EQ(written("outline.txt"), treeOf("a"));
    EXPECT_EQ(written("no-extension"), treeOf("a"));
    std::filesystem::create_directory(tool.directory() / "dir.json");
    EXPECT_EQ(written("dir.json/../other"), treeOf("a")) << "only the file name's extension counts";
    EXPECT_EQ(written("notes.markdown"), "a\n");
    EXPECT_EQ(written(".hidden"), treeOf("a"));

    // An extension the tool does not know is refused rather than written as a tree.
    for (char const* name : {"page.xhtml", "out.pages", "dir.json/../other.out"}) {
        ToolRun const unknown = tool.run(std::string("-o ") + name + " -", paragraphOf("a"));
        EXPECT_EQ(unknown.status, 2) << name;
        EXPECT_THAT(unknown.err, StartsWith("error: cannot tell the output format from \".")) << name;
        EXPECT_FALSE(std::filesystem::exists(tool.directory() / name)) << name;
    }

    // The names pandoc users type are understood.
    for (char const* to : {"md", "gfm", "commonmark", "MARKDOWN"}) {
        EXPECT_EQ(tool.run(std::string("-t ") + to + " -", paragraphOf("a")).out, "a\n") << to;
    }
    EXPECT_THAT(tool.run("-t html5 -", paragraphOf("a")).out, StartsWith("<!DOCTYPE html>"));
    EXPECT_EQ(tool.run("-f json -", paragraphOf("a")).out, treeOf("a"));
    EXPECT_EQ(tool.run("-f ndjson -t none -", paragraphOf("a")).status, 0);

    ToolRun const forced = tool.run("-t tree -o forced.html -", paragraphOf("a"));
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(ToolRunner::read(tool.directory() / "forced.html"), treeOf("a"));
}

TEST(ConventionsTest, SeveralInputsAreOneDocumentAndMessagesNameTheirFile) {
    ToolRunner tool;
    tool.file("a.json", "[" + paragraphOf("one") + R"(,{"className":"Mystery"}])");
    tool.file("b.json", paragraphOf("two"));
    ToolRun run = tool.run("a.json b.json");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, treeOf("one") + treeOf("two"));
    EXPECT_EQ(run.err, "warning: a.json:1:95: /1: no builder for className \"Mystery\"; skipped\n");

    tool.file("bad.json", R"({"className":"HeadingNode","level":"high","children":[]})");
    run = tool.run("-o out.txt a.json bad.json");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, HasSubstr("error: bad.json:1:36: /level: invalid conversion: string to double"));
    EXPECT_FALSE(std::filesystem::exists(tool.directory() / "out.txt"));

    tool.file("broken.json", "[1,");
    run = tool.run("a.json broken.json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: broken.json:1:4: unexpected end of input\n") << "parsed before anything is built";
    EXPECT_EQ(run.out, "");
}

TEST(ConventionsTest, CompactJsonIsOneLine) {
    ToolRunner tool;
    ToolRun const run = tool.run("-c -t json -", "[" + paragraphOf("a") + "," + paragraphOf("b") + "]");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 1) << run.out;
    std::string pretty = tool.run("-t json -", "[" + paragraphOf("a") + "," + paragraphOf("b") + "]").out;
    pretty.erase(std::remove_if(pretty.begin(), pretty.end(), [](char c) { return c == '\n' || c == ' '; }),
                 pretty.end());
    std::string compact = run.out;
    compact.erase(std::remove_if(compact.begin(), compact.end(), [](char c) { return c == '\n' || c == ' '; }),
                  compact.end());
    EXPECT_EQ(compact, pretty);
}

TEST(ConventionsTest, QuietSilencesWarningsOnly) {
    ToolRunner tool;
    ToolRun const run = tool.run("-q -", "[" + paragraphOf("a") + R"(,{"className":"Mystery"}])");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, treeOf("a"));
    EXPECT_EQ(tool.run("-q -", R"({"className":"HeadingNode","level":"x"})").status, 1);
}

TEST(ConventionsTest, VersionAndHelpWithItsExitStatuses) {
    ToolRunner tool;
    EXPECT_THAT(tool.run("-V").out, StartsWith("richmarkup-build "));
    ToolRun const help = tool.run("--help");
    EXPECT_EQ(help.status, 0);
    for (char const* option :
         {"-t,--to", "-f,--from", "-c,--compact", "-q,--quiet", "--title", "--fragment", "--css", "--ds-bundle"}) {
        EXPECT_THAT(help.out, HasSubstr(option));
    }
    EXPECT_THAT(help.out, HasSubstr("Exit status: 0 done (warnings included); 1 a build failed, nothing written; 2"));
    EXPECT_THAT(help.out, HasSubstr("an input that cannot be read included (the others are still converted)"));
}

TEST(ConventionsTest, NoInputOnATerminalGivesAUsageHint) {
    ToolRunner tool;
    // script gives the tool a terminal as its standard input; the timeout ends a tool that waits.
    ToolRun const run = tool.run("--version >/dev/null; { timeout 10 script -qec '" RICHMARKUP_TOOL "' /dev/null"
                                 " </dev/null; echo \"status $?\"; }");
    EXPECT_THAT(run.out, HasSubstr("usage: richmarkup-build [OPTIONS] INPUT..."));
    EXPECT_THAT(run.out, HasSubstr("status 2"));
}

TEST(ConventionsTest, HtmlTitleFragmentAndStylesheet) {
    ToolRunner tool;
    // A stylesheet is linked as a document's links are: the same schemes only.
    for (char const* css : {"'javascript:alert(1)'", "' JavaScript:x'", "'data:text/css,x'"}) {
        ToolRun const refused = tool.run(std::string("-t html --css ") + css + " -", paragraphOf("a"));
        EXPECT_EQ(refused.status, 2) << css;
        EXPECT_THAT(refused.err, StartsWith("error: --css ")) << css;
        EXPECT_EQ(refused.out, "") << css;
    }
    std::string const doc =
        R"([{"className":"HeadingNode","level":1,"children":[{"className":"RichTextNode","text":"Heads & tails"}]}])";
    EXPECT_THAT(tool.run("-t html -", doc).out, HasSubstr("<title>Heads &amp; tails</title>"));
    EXPECT_THAT(tool.run("-t html --title 'Given' -", doc).out, HasSubstr("<title>Given</title>"));
    tool.file("no-heading.json", paragraphOf("a"));
    EXPECT_THAT(tool.run("-t html '" + (tool.directory() / "no-heading.json").string() + "'").out,
                HasSubstr("<title>no-heading.json</title>"))
        << "the file name without its folder";

    ToolRun const fragment = tool.run("-t html --fragment -", paragraphOf("a"));
    EXPECT_EQ(fragment.out, "<p>a</p>\n");
    ToolRun const styled = tool.run("-t html --css style.css -", paragraphOf("a"));
    EXPECT_THAT(styled.out, HasSubstr("<link rel=\"stylesheet\" href=\"style.css\">"));
}

} // namespace
} // namespace richmarkup::tool::test
