#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace richmarkup::tool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"kept"}]})";
std::string const badHeading = R"({"className":"HeadingNode","level":"high","children":[]})";

TEST(ExitStatusTest, SkippedElementsWarnAndTheRestIsBuilt) {
    ToolRunner tool;
    ToolRun const run =
        tool.run("-", "[" + paragraph + R"(, {"className":"Mystery"}, {"text":"x"}, )" + paragraph + "]");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "warning: <stdin>:1:97: /1: no builder for className \"Mystery\"; skipped\n"
                       "warning: <stdin>:1:122: /2: no builder for className <none>; skipped\n");
    EXPECT_EQ(run.out, "RichTextParagraphNode alignment=left\n  RichTextNode \"kept\"\n"
                       "RichTextParagraphNode alignment=left\n  RichTextNode \"kept\"\n");
}

TEST(ExitStatusTest, ABuilderErrorIsStatusOneAndWritesNoOutput) {
    ToolRunner tool;
    ToolRun const run = tool.run("-", "[" + paragraph + R"(, {"className":"Mystery"}, )" + badHeading + "]");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "warning: <stdin>:1:97: /1: no builder for className \"Mystery\"; skipped\n"
                       "error: <stdin>:1:157: /2/level: invalid conversion: string to double "
                       "(\"level\" must be a double, not a string)\n");
    EXPECT_EQ(run.out, "");
}

TEST(ExitStatusTest, InputErrorsAreStatusTwoWithTheirPlace) {
    ToolRunner tool;
    std::string const broken = tool.file("broken.json", "[\n  {\"className\" \"X\"}\n]");
    ToolRun run = tool.run("'" + broken + "'");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, StartsWith("error: " + broken + ":2:16: "));
    EXPECT_EQ(run.out, "");

    run = tool.run("-", "[1,");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, StartsWith("error: <stdin>:1:"));

    run = tool.run("missing.json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot read missing.json: No such file or directory\n");

    run = tool.run(".");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot read .: Is a directory\n");

    run = tool.run("-", "\"just text\"");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: <stdin>: the document is a string; it must be a block element (an object) "
                       "or an array of them\n");
}

TEST(ExitStatusTest, UsageErrorsAreStatusTwo) {
    ToolRunner tool;
    for (char const* arguments :
         {"--no-such-option", "-f pdf x.json", "-t docx x.json", "-t 2 x.json", "--output", "- -", "--log"}) {
        ToolRun const run = tool.run(arguments);
        EXPECT_EQ(run.status, 2) << arguments;
        EXPECT_THAT(run.err, StartsWith("error: ")) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
        EXPECT_THAT(run.err, Not(HasSubstr("FAILED"))) << "never the parser's internals: " << run.err;
        EXPECT_EQ(run.out, "") << arguments;
    }
    EXPECT_THAT(tool.run("-t nosuch x.json").err,
                StartsWith("error: unknown output format \"nosuch\"; choose tree, json, html, markdown, richtext, "
                           "pandoc, docx, odt, epub, latex, rst, pdf or none"));
    EXPECT_THAT(tool.run("-f nosuch x.json").err, StartsWith("error: "));
}

TEST(ExitStatusTest, ABundleThatWillNotInstallIsStatusTwoWithTheRuntimesText) {
    ToolRunner tool;
    ToolRun run = tool.run("--bundle /nonexistent/extra.so -", paragraph);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot open bundle /nonexistent/extra.so: No such file or directory\n");

    run = tool.run("--bundle '" RICHMARKUP_NOT_A_BUNDLE "' -", paragraph);
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, HasSubstr(RICHMARKUP_NOT_A_BUNDLE));
    EXPECT_EQ(run.out, "");
}

class OutputFileTest : public ::testing::Test {
protected:
    // Whatever is in the scratch directory besides the tool runner's own files.
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (auto const& entry : fs::directory_iterator(tool.directory())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    ToolRunner tool;
};

TEST_F(OutputFileTest, ASuccessfulBuildReplacesTheFileWhole) {
    std::string const out = tool.file("out.txt", "old content\n");
    ToolRun const run = tool.run("-o out.txt -", paragraph);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(ToolRunner::read(out), "RichTextParagraphNode alignment=left\n  RichTextNode \"kept\"\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"out.txt"});
}

TEST_F(OutputFileTest, AFailedBuildLeavesNoFileAndKeepsAnOldOne) {
    ToolRun run = tool.run("--output new.json -t json -", "[" + paragraph + "," + badHeading + "]");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(entries(), std::vector<std::string>{});

    std::string const old = tool.file("old.json", "precious\n");
    run = tool.run("--output old.json -t json -", "[" + paragraph + "," + badHeading + "]");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ToolRunner::read(old), "precious\n");
    EXPECT_EQ(entries(), std::vector<std::string>{"old.json"});
}

TEST_F(OutputFileTest, AnUnwritablePlaceIsStatusTwo) {
    ToolRun const run = tool.run("-o no/such/dir/out.txt -", paragraph);
    EXPECT_EQ(run.status, 2);
    // The temporary beside it is what cannot be made: its folder is named.
    EXPECT_EQ(run.err, "error: cannot write no/such/dir/out.txt: cannot make a temporary file in no/such/dir: "
                       "No such file or directory\n");
}

} // namespace
} // namespace richmarkup::tool::test

namespace richmarkup::tool::test {
namespace {

TEST(DiagnosticsTest, WarningsNameFileLineColumnAndPointerAndStrictMakesThemErrors) {
    ToolRunner tool;
    tool.file("doc.json", "[\n  {\"className\": \"TableNode\", \"hasheader\": true,\n   \"children\": []}\n]\n");
    ToolRun run = tool.run("doc.json");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "warning: doc.json:2:43: /0/hasheader: unknown key \"hasheader\" is ignored: did you mean "
                       "\"hasHeader\"?\n");
    EXPECT_EQ(tool.run("-q doc.json").err, "");

    run = tool.run("--strict -o out.txt doc.json");
    EXPECT_EQ(run.status, 1);
    EXPECT_THAT(run.err, StartsWith("error: doc.json:2:43: /0/hasheader: "));
    EXPECT_FALSE(fs::exists(tool.directory() / "out.txt"));

    // The whole document is one element: its pointer is the empty one, shown as "/".
    run = tool.run("-", R"({"className":"Mystery"})");
    EXPECT_EQ(run.err, "warning: <stdin>:1:1: /: no builder for className \"Mystery\"; skipped\n");
}

TEST(DiagnosticsTest, WarningsAreLimitedPerInputAndTheRestCounted) {
    ToolRunner tool;
    auto const zeros = [](int count) {
        std::string text = "[0";
        for (int i = 1; i < count; ++i) {
            text += ",0";
        }
        return text + "]";
    };
    tool.file("many.json", zeros(150));
    tool.file("few.json", zeros(2));
    auto const count = [](std::string const& text, std::string const& start) {
        std::size_t n = 0;
        for (auto const& line : ToolRunner::lines(text)) {
            n += line.rfind(start, 0) == 0 ? 1 : 0;
        }
        return n;
    };
    ToolRun run = tool.run("-t none many.json few.json");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(count(run.err, "warning: many.json:"), 101u);
    EXPECT_EQ(count(run.err, "warning: few.json:"), 2u) << "each input has a limit of its own";
    EXPECT_THAT(run.err,
                HasSubstr("\nwarning: many.json: 50 more warnings not shown; --max-warnings 0 shows them all\n"));

    EXPECT_EQ(count(tool.run("-t none --max-warnings 0 many.json").err, "warning: "), 150u);
    run = tool.run("-t none --max-warnings 3 --strict many.json");
    EXPECT_EQ(run.status, 1) << "every one counts, shown or not";
    EXPECT_EQ(ToolRunner::lines(run.err).size(), 4u);
    EXPECT_EQ(ToolRunner::lines(run.err).back(),
              "error: many.json: 147 more errors not shown; --max-warnings 0 shows them all");
    EXPECT_EQ(tool.run("--max-warnings -1 many.json").status, 2);

    // JSON Lines: one limit for all the lines of an input, in their order, on any number of threads.
    std::string corpus;
    for (int i = 0; i < 40; ++i) {
        corpus += zeros(3) + "\n";
    }
    tool.file("corpus.jsonl", corpus);
    for (char const* jobs : {"1", "4"}) {
        run = tool.run(std::string("-f jsonl -j ") + jobs + " --max-warnings 5 corpus.jsonl few.json");
        EXPECT_EQ(run.status, 0);
        std::vector<std::string> const lines = ToolRunner::lines(run.err);
        ASSERT_EQ(lines.size(), 8u) << run.err;
        EXPECT_EQ(lines[0].rfind("warning: corpus.jsonl:1:", 0), 0u);
        EXPECT_EQ(lines[4].rfind("warning: corpus.jsonl:2:", 0), 0u);
        EXPECT_EQ(lines[5], "warning: corpus.jsonl: 115 more warnings not shown; --max-warnings 0 shows them all");
        EXPECT_EQ(lines[6].rfind("warning: few.json:1:", 0), 0u);
    }
}

TEST(DiagnosticsTest, WhatAWriterChangesIsAWarningAtItsElementAndStrictWritesNothing) {
    ToolRunner tool;
    tool.file("first.json", paragraph);
    tool.file("doc.json", "[\n"
                          R"({"className":"RichTextParagraphNode","children":[)"
                          "\n"
                          R"(  {"className":"ImageNode","imgSrc":"javascript:x","altText":"pic"}]})"
                          "\n"
                          "]\n");
    std::string const warning = "doc.json:3:3: /0/children/0: image source \"javascript:x\" left out: scheme "
                                "\"javascript\" is not allowed; written as its alternative text\n";
    ToolRun run = tool.run("-t html doc.json");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "warning: " + warning);
    EXPECT_THAT(run.out, HasSubstr("pic"));
    run = tool.run("-t markdown doc.json");
    EXPECT_EQ(run.err, "warning: " + warning);
    EXPECT_EQ(tool.run("-q -t markdown doc.json").err, "");
    EXPECT_EQ(tool.run("-t tree doc.json").err, "") << "the tree keeps the address as it is";

    for (char const* to : {"html", "markdown"}) {
        run = tool.run(std::string("--strict -t ") + to + " -o out doc.json");
        EXPECT_EQ(run.status, 1) << to;
        EXPECT_EQ(run.err, "error: " + warning);
        EXPECT_FALSE(fs::exists(tool.directory() / "out")) << to;
        run = tool.run(std::string("--strict -t ") + to + " doc.json");
        EXPECT_EQ(run.out, "") << "nothing on standard output either";
        // A page with nothing to say is written whole, as without --strict.
        run = tool.run(std::string("--strict -t ") + to + " first.json");
        EXPECT_EQ(run.status, 0) << to << ": " << run.err;
        EXPECT_EQ(run.out, tool.run(std::string("-t ") + to + " first.json").out) << to;
    }

    // Inputs after the first: located in their own file.
    run = tool.run("-t html first.json doc.json");
    EXPECT_EQ(run.err, "warning: " + warning);
}

TEST(DiagnosticsTest, EveryLineIsPrintableAndJsonLinesAreValidUtf8) {
    ToolRunner tool;
    // A file name with a line break, an escape and a byte that is no UTF-8.
    std::string const name = "a\nb\x1b[31m\xff.jsonl";
    tool.file(name, "[\n");
    ToolRun const run = tool.run("-f jsonl \"$(printf 'a\\nb\\033[31m\\377.jsonl')\"");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_THAT(run.err, StartsWith("error: a\\nb\\x1b[31m\\xff.jsonl:"));
    EXPECT_THAT(run.out, StartsWith(R"({"error": "a\\nb\\x1b[31m\\xff.jsonl:)"));
    for (unsigned char const c : run.out) {
        EXPECT_LT(c, 0x80) << "escaped, so valid UTF-8";
    }
}

} // namespace
} // namespace richmarkup::tool::test
