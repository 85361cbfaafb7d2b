// What a careless or hostile command line must not do: replace an input by an output or a log,
// write past a shell's redirection or outside an output folder, crash on a file cut short under
// it, start threads without end, or read endless input that cannot be a document.
#include "InputText.hpp"
#include "ToolRunner.hpp"

#include <foundation/memory/Pages.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <string>

namespace richmarkup::tool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::StartsWith;

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"kept"}]})";
std::string const tree = "RichTextParagraphNode alignment=left\n  RichTextNode \"kept\"\n";

class SafetyTest : public ::testing::Test {
protected:
    fs::path at(std::string const& name) const { return tool.directory() / name; }
    ToolRunner tool;
};

TEST_F(SafetyTest, AnOutputThatIsAnInputIsRefusedHoweverItIsSpelt) {
    tool.file("doc.json", paragraph);
    tool.file("corpus.jsonl", paragraph + "\n");
    fs::create_symlink("doc.json", at("link.json"));
    fs::create_hard_link(at("doc.json"), at("hard.json"));
    for (char const* command :
         {"-o doc.json doc.json", "-o ./doc.json doc.json", "-o link.json doc.json", "-o hard.json doc.json",
          "-t json -o doc.json other.json doc.json", "-f jsonl -o corpus.jsonl corpus.jsonl"}) {
        SCOPED_TRACE(command);
        ToolRun const run = tool.run(command);
        EXPECT_EQ(run.status, 2);
        EXPECT_THAT(run.err, StartsWith("error: the output "));
        EXPECT_THAT(run.err, HasSubstr(": it would be replaced; write to another file\n"));
    }
    // Standard input is an input too, whatever file the shell gave it.
    std::string const redirected =
        "cd '" + tool.directory().string() + "' && '" RICHMARKUP_TOOL "' -o doc.json - < doc.json 2> err";
    EXPECT_EQ(WEXITSTATUS(std::system(redirected.c_str())), 2);
    EXPECT_EQ(ToolRunner::read(at("err")),
              "error: the output doc.json is the input standard input: it would be replaced; write to another file\n");
    EXPECT_EQ(ToolRunner::read(at("doc.json")), paragraph);
    EXPECT_EQ(ToolRunner::read(at("corpus.jsonl")), paragraph + "\n");
}

TEST_F(SafetyTest, TheLogIsNeverAnInputOrTheOutputAndOpensOnlyOnceTheInputsAreRead) {
    tool.file("doc.json", paragraph);
    ToolRun run = tool.run("--log doc.json doc.json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err,
              "error: the log doc.json is the input doc.json: it would be emptied; choose another --log file\n");
    EXPECT_EQ(ToolRunner::read(at("doc.json")), paragraph);

    run = tool.run("--log out.html -o ./out.html doc.json");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: the log out.html is also the output; choose another --log file\n");
    EXPECT_FALSE(fs::exists(at("out.html")));

    // An input that fails leaves an earlier log as it was, in every mode.
    tool.file("hist.log", "earlier\n");
    tool.file("bad.json", "[");
    for (char const* command :
         {"--log hist.log missing.json", "--log hist.log bad.json", "--log hist.log -j 1 -f jsonl missing.jsonl"}) {
        SCOPED_TRACE(command);
        EXPECT_NE(tool.run(command).status, 0);
        EXPECT_EQ(ToolRunner::read(at("hist.log")), "earlier\n");
    }
}

TEST_F(SafetyTest, DescriptorNamesWriteToTheOpenDescriptorAsARedirectionWould) {
    tool.file("doc.json", paragraph);
    auto const shell = [&](std::string const& script) {
        return std::system(("cd '" + tool.directory().string() + "' && " + script).c_str());
    };
    // After what the shell wrote before, not renamed over the file behind it; appending too.
    for (char const* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(
            shell(std::string("{ echo HEADER; '" RICHMARKUP_TOOL "' -o ") + name + " doc.json; echo FOOTER; } > f"), 0);
        EXPECT_EQ(ToolRunner::read(at("f")), "HEADER\n" + tree + "FOOTER\n");
        ASSERT_EQ(shell(std::string("'" RICHMARKUP_TOOL "' -o ") + name + " doc.json >> f"), 0);
        EXPECT_EQ(ToolRunner::read(at("f")), "HEADER\n" + tree + "FOOTER\n" + tree);
    }
    // Into a pipe, where there is nothing to rename over.
    ASSERT_EQ(shell("'" RICHMARKUP_TOOL "' -o /dev/stdout doc.json | head -1 > g"), 0);
    EXPECT_EQ(ToolRunner::read(at("g")), "RichTextParagraphNode alignment=left\n");

    // Another descriptor the shell opened, and one it did not.
    ToolRun const third = tool.run("-o /dev/fd/3 doc.json 3>>h");
    EXPECT_EQ(third.status, 0) << third.err;
    EXPECT_EQ(ToolRunner::read(at("h")), tree);
    ToolRun const closed = tool.run("-o /dev/fd/9 doc.json");
    EXPECT_EQ(closed.status, 2);
    EXPECT_EQ(closed.err, "error: cannot write /dev/fd/9: Bad file descriptor\n");
}

TEST_F(SafetyTest, AnOutputFolderReplacesALinkInsteadOfWritingThroughIt) {
    tool.file("doc.json", paragraph);
    tool.file("outside.txt", "not yours\n");
    fs::create_directory(at("out"));
    fs::create_symlink("../outside.txt", at("out/doc.txt"));
    ToolRun const run = tool.run("--output-dir out doc.json");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ToolRunner::read(at("outside.txt")), "not yours\n");
    EXPECT_FALSE(fs::is_symlink(at("out/doc.txt")));
    EXPECT_EQ(ToolRunner::read(at("out/doc.txt")), tree);
}

TEST_F(SafetyTest, AFileCutShortWhileMappedReadsAsChangedInsteadOfCrashing) {
    std::size_t const page = foundation::memory::pageSize();
    std::string text = "[" + paragraph;
    while (text.size() < (std::size_t(1) << 20) + 16 * page) { // large enough to be mapped
        text += "," + paragraph;
    }
    text += "]";
    std::string const path = tool.file("doc.json", text);
    InputText input = InputText::read(path);
    EXPECT_FALSE(input.changed());
    ASSERT_EQ(::truncate(path.c_str(), static_cast<off_t>(page)), 0);
    // Every page past the new end is gone; reading them would raise SIGBUS.
    std::string_view const mapped = input.text();
    unsigned long const sum = std::accumulate(mapped.begin(), mapped.end(), 0ul, [](unsigned long total, char c) {
        return total + static_cast<unsigned char>(c);
    });
    EXPECT_GT(sum, 0ul);
    EXPECT_TRUE(input.changed());
    EXPECT_EQ(mapped.substr(0, 8), text.substr(0, 8)) << "what was still there reads as it was";

    // Written to (grown) since it was opened counts as well.
    std::string const other = tool.file("other.json", paragraph);
    InputText grown = InputText::read(other);
    tool.file("other.json", paragraph + " ");
    EXPECT_TRUE(grown.changed());
}

TEST_F(SafetyTest, JobCountsOutsideTheirRangeAreUsageErrorsInEveryMode) {
    tool.file("doc.json", paragraph);
    for (char const* jobs : {"-1", "0", "257", "40000", "2147483648", "99999999999999999999", "x"}) {
        for (char const* mode : {"", "-f jsonl", "--output-dir out"}) {
            SCOPED_TRACE(std::string(jobs) + " " + mode);
            ToolRun const run = tool.run(std::string("-j ") + jobs + " " + mode + " doc.json");
            EXPECT_EQ(run.status, 2);
            EXPECT_THAT(run.err, StartsWith("error: "));
            EXPECT_EQ(run.out, "");
        }
    }
    // The most there may be works on one document (threads start only as work waits for one).
    ToolRun const run = tool.run("-j 256 -f jsonl doc.json");
    EXPECT_EQ(run.status, 0) << run.err;
}

TEST_F(SafetyTest, EndlessInputThatCannotBeJsonFailsAtOnce) {
    // /dev/zero never ends: only its first bytes may be read, as a file, a pipe or JSON Lines.
    ToolRun run = tool.run("/dev/zero");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, StartsWith("error: /dev/zero:1:1: "));
    run = tool.run("- < /dev/zero");
    EXPECT_EQ(run.status, 2);
    EXPECT_THAT(run.err, StartsWith("error: <stdin>:1:1: "));

    // A long JSON Lines line of no JSON gets its error while it is still being read past, and
    // the lines after it are converted.
    std::string corpus = std::string(3 << 20, 'x') + "\n" + paragraph + "\n";
    tool.file("corpus.jsonl", corpus);
    run = tool.run("-f jsonl corpus.jsonl");
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> const lines = ToolRunner::lines(run.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_THAT(lines[0], StartsWith(R"({"error": "corpus.jsonl:1:1: )"));
    EXPECT_THAT(lines[1], StartsWith("[{"));
    std::string const endless = "cd '" + tool.directory().string() +
                                "' && timeout 5 '" RICHMARKUP_TOOL "' -f jsonl /dev/zero | head -c 200 > e; true";
    ASSERT_EQ(std::system(endless.c_str()), 0);
    EXPECT_THAT(ToolRunner::read(at("e")), StartsWith(R"({"error": "/dev/zero:1:1: )"));
}

} // namespace
} // namespace richmarkup::tool::test
