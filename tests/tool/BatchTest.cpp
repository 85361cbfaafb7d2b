// Batch conversion as a user runs it: JSON Lines in and out, several threads, an output folder.
#include "ToolRunner.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace richmarkup::tool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

std::string paragraph(std::string const& text) {
    return R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":")" + text +
           R"("}]})";
}

// Good lines, a blank one, malformed JSON, a builder's error, a warning: each in its place.
std::string const mixed = paragraph("one") + "\n" + "\n" + R"({"className": )" + "\n" +
                          R"([{"className":"HeadingNode","level":"x","children":[]}])" + "\r\n" +
                          R"([{"className":"Nope"},)" + paragraph("kept") + "]\n" + paragraph("last");

TEST(JsonLinesTest, OneModelLineForEachDocumentAndALocatedErrorLineForEachFailure) {
    ToolRunner runner;
    std::string const input = runner.file("in.jsonl", mixed);
    ToolRun const run = runner.run("-f jsonl in.jsonl");
    EXPECT_EQ(run.status, 1); // some line failed; the others are written
    std::vector<std::string> const lines = ToolRunner::lines(run.out);
    ASSERT_EQ(lines.size(), 5u); // the blank line is no document
    // Each model line is what the document alone gives with -t json -c.
    EXPECT_EQ(lines[0] + "\n", runner.run("-t json -c " + runner.file("one.json", paragraph("one"))).out);
    EXPECT_EQ(lines[1], R"({"error": "in.jsonl:3:15: unexpected end of input"})");
    EXPECT_THAT(lines[2], HasSubstr(R"({"error": "in.jsonl:4:37: /0/level: invalid conversion: string to double)"));
    EXPECT_THAT(lines[3], HasSubstr("kept"));
    EXPECT_THAT(lines[4], HasSubstr("last"));
    EXPECT_THAT(run.err, HasSubstr("error: in.jsonl:3:15: unexpected end of input\n"));
    EXPECT_THAT(run.err, HasSubstr("warning: in.jsonl:5:2: /0: no builder for className \"Nope\""));

    // --strict fails the line that warns; -q keeps warnings off stderr but not errors.
    ToolRun const strict = runner.run("-f jsonl --strict in.jsonl");
    EXPECT_THAT(ToolRunner::lines(strict.out)[3], HasSubstr(R"({"error": "in.jsonl:5:2: /0: no builder)"));
    ToolRun const quiet = runner.run("-f jsonl -q in.jsonl");
    EXPECT_THAT(quiet.err, ::testing::Not(HasSubstr("warning")));
    EXPECT_THAT(quiet.err, HasSubstr("error: in.jsonl:3:15"));
    // Standard input works too, and -t none only checks.
    ToolRun const none = runner.run("-f jsonl -t none", mixed);
    EXPECT_EQ(none.out, "");
    EXPECT_EQ(none.status, 1);
    EXPECT_THAT(none.err, HasSubstr("error: <stdin>:3:15"));
}

// Many threads, the same bytes: documents finish in any order but are written in input order.
TEST(JsonLinesTest, AnyNumberOfThreadsWritesTheBytesOfOne) {
    ToolRunner runner;
    std::string text;
    for (int i = 0; i < 3000; ++i) {
        if (i % 97 == 0) {
            text += R"({"className":"HeadingNode","level":"bad )" + std::to_string(i) + "\"}\n";
        } else if (i % 5 == 0) {
            text += "[" + paragraph("a " + std::to_string(i)) + "," + paragraph("b") + "," + paragraph("c") + "]\n";
        } else {
            text += paragraph("line " + std::to_string(i)) + "\n";
        }
    }
    runner.file("many.jsonl", text);
    ToolRun const one = runner.run("-f jsonl -j 1 many.jsonl");
    ASSERT_EQ(ToolRunner::lines(one.out).size(), 3000u);
    EXPECT_EQ(one.err.find('\r'), std::string::npos); // no progress line off a terminal
    for (char const* jobs : {"2", "5"}) {
        ToolRun const several = runner.run(std::string("-f jsonl -j ") + jobs + " many.jsonl");
        EXPECT_EQ(several.out, one.out) << jobs;
        EXPECT_EQ(several.err, one.err) << jobs;
        EXPECT_EQ(several.status, 1);
    }
    // Into a file: whole, and the same bytes.
    ToolRun const file = runner.run("-f jsonl -j 3 -o out.jsonl many.jsonl");
    EXPECT_EQ(ToolRunner::read(runner.directory() / "out.jsonl"), one.out);
}

TEST(OutputDirTest, EachInputToItsOwnOutputAndFailuresStayTheirOwn) {
    ToolRunner runner;
    runner.file("a.json", paragraph("alpha"));
    runner.file("b.json", R"({"className":"HeadingNode","level":"x","children":[]})");
    runner.file("c.json", paragraph("gamma"));
    runner.file("lines.jsonl", paragraph("l1") + "\n" + paragraph("l2") + "\n");
    ToolRun const run = runner.run("-t markdown --output-dir out -j 3 a.json b.json c.json");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(ToolRunner::read(runner.directory() / "out" / "a.md"), "alpha\n");
    EXPECT_EQ(ToolRunner::read(runner.directory() / "out" / "c.md"), "gamma\n");
    EXPECT_FALSE(fs::exists(runner.directory() / "out" / "b.md")); // failed: nothing written
    EXPECT_THAT(run.err, HasSubstr("error: b.json:1:36: /level: invalid conversion"));
    // One thread writes the same files.
    ToolRun const single = runner.run("-t markdown --output-dir single -j 1 a.json b.json c.json");
    EXPECT_EQ(ToolRunner::read(runner.directory() / "single" / "a.md"), "alpha\n");
    EXPECT_EQ(single.err, run.err);

    // JSON Lines in, JSON Lines out, named .jsonl.
    EXPECT_EQ(runner.run("-f jsonl --output-dir out lines.jsonl").status, 0);
    EXPECT_EQ(ToolRunner::lines(ToolRunner::read(runner.directory() / "out" / "lines.jsonl")).size(), 2u);

    // Refused before anything is written.
    fs::create_directory(runner.directory() / "sub");
    runner.file("sub/a.json", paragraph("other"));
    EXPECT_THAT(runner.run("--output-dir out2 a.json sub/a.json").err,
                HasSubstr("would both be written to out2/a.txt"));
    EXPECT_FALSE(fs::exists(runner.directory() / "out2" / "a.txt"));
    EXPECT_THAT(runner.run("-t json --output-dir . a.json").err, HasSubstr("would be written over by its own output"));
    EXPECT_EQ(ToolRunner::read(runner.directory() / "a.json"), paragraph("alpha"));
}

TEST(JsonLinesTest, PlacesInMessagesAreLinesOfTheInput) {
    ToolRunner runner;
    // A key given twice on the third line: both places it names are on that line.
    runner.file("c.jsonl",
                paragraph("a") + "\n\n" +
                    R"({"className":"RichTextParagraphNode","className":"RichTextParagraphNode","children":[]})" +
                    "\n");
    ToolRun const run = runner.run("-f jsonl c.jsonl");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "warning: c.jsonl:3:50: /className: duplicate key \"className\": the value at 3:50 is used, "
                       "the one at 3:14 ignored\n");
}

TEST(BatchExitStatusTest, ADocumentThatFailsIsOneInEveryBatchModeAndTheOthersAreWritten) {
    ToolRunner runner;
    runner.file("a.json", paragraph("alpha"));
    runner.file("broken.json", "[" + paragraph("beta"));
    runner.file("lines.jsonl", paragraph("l1") + "\n");
    // Malformed, missing: each is that input's failure, as a failed build is.
    for (char const* inputs : {"broken.json a.json", "missing.json a.json"}) {
        SCOPED_TRACE(inputs);
        fs::remove_all(runner.directory() / "out");
        ToolRun const run = runner.run(std::string("-t markdown --output-dir out ") + inputs);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(ToolRunner::read(runner.directory() / "out" / "a.md"), "alpha\n");
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
    ToolRun run = runner.run("-f jsonl missing.jsonl lines.jsonl");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "error: cannot read missing.jsonl: No such file or directory\n");
    EXPECT_EQ(ToolRunner::lines(run.out).size(), 1u);
    run = runner.run("-f jsonl --output-dir out missing.jsonl lines.jsonl");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(runner.directory() / "out" / "missing.jsonl"));
    EXPECT_TRUE(fs::exists(runner.directory() / "out" / "lines.jsonl"));
    // An output that cannot be written is the batch's own failure.
    runner.file("taken", "a file, not a folder");
    EXPECT_EQ(runner.run("--output-dir taken a.json").status, 2);
}

TEST(BatchOptionsTest, MisfitsAreOneLineUsageErrors) {
    ToolRunner runner;
    struct Case {
        char const* arguments;
        char const* message;
    };
    for (Case const& c :
         {Case{"-f jsonl -t html x", "-f jsonl writes JSON Lines: choose -t json, richtext or none"},
          Case{"-j 0 x", "-j needs a whole number from 1 to 256"}, Case{"--log l.txt -j 2 x", "--log needs -j 1"},
          Case{"--output-dir d -o f x", "choose one of -o and --output-dir"},
          Case{"--output-dir d -t none x", "has nothing to write"},
          Case{"--output-dir d -", "standard input ('-') has no name"}, Case{"-f nosuch x", "nosuch"}}) {
        ToolRun const run = runner.run(c.arguments);
        EXPECT_EQ(run.status, 2) << c.arguments;
        EXPECT_THAT(run.err, HasSubstr(c.message)) << c.arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.arguments;
    }
}

} // namespace
} // namespace richmarkup::tool::test
