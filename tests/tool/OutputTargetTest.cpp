// Where -o writes: nothing at PATH is replaced by something else, and nothing is lost.
// Special files are made in the runner's scratch folder, never the machine's own devices.
#include "ToolRunner.hpp"

#include "AtomicOutputFile.hpp"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

namespace richmarkup::tool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::StartsWith;

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"kept"}]})";
std::string const tree = "RichTextParagraphNode alignment=left\n  RichTextNode \"kept\"\n";

class OutputTargetTest : public ::testing::Test {
protected:
    fs::path at(std::string const& name) const { return tool.directory() / name; }
    ToolRunner tool;
};

TEST_F(OutputTargetTest, DashIsStandardOutput) {
    ToolRun const run = tool.run("-o - -", paragraph);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, tree);
    EXPECT_FALSE(fs::exists(at("-")));
}

TEST_F(OutputTargetTest, ALinkIsFollowedAndStaysALink) {
    tool.file("real.txt", "old\n");
    fs::create_symlink("real.txt", at("link.txt"));
    ToolRun run = tool.run("-o link.txt -", paragraph);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(at("link.txt")));
    EXPECT_EQ(ToolRunner::read(at("real.txt")), tree);

    // A link to a file yet to be made makes that file.
    fs::create_symlink("made.txt", at("dangling.txt"));
    run = tool.run("-o dangling.txt -", paragraph);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(fs::is_symlink(at("dangling.txt")));
    EXPECT_EQ(ToolRunner::read(at("made.txt")), tree);
}

TEST_F(OutputTargetTest, AFifoIsWrittenToItsReader) {
    ASSERT_EQ(::mkfifo(at("pipe").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] {
        std::ifstream in(at("pipe"), std::ios::binary);
        received.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    });
    ToolRun const run = tool.run("-o pipe -", paragraph);
    // Should the tool never have opened the FIFO, the reader would wait in open() for ever: a
    // writer of our own that writes nothing lets it go, and the checks below then fail.
    if (int const fd = ::open(at("pipe").c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) {
        ::close(fd);
    }
    reader.join();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(received, tree);
    EXPECT_TRUE(fs::is_fifo(at("pipe")));
}

TEST_F(OutputTargetTest, ADirectoryIsAnError) {
    fs::create_directory(at("sub"));
    ToolRun const run = tool.run("-o sub -", paragraph);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot write sub: it is a directory\n");
    EXPECT_TRUE(fs::is_empty(at("sub")));
}

// A device that takes nothing: the full device's numbers, made here.
TEST_F(OutputTargetTest, AFailedWriteIsAnErrorOnAnyOutput) {
    if (::mknod(at("full").c_str(), S_IFCHR | 0666, makedev(1, 7)) != 0) {
        GTEST_SKIP() << "making a device needs root";
    }
    ToolRun run = tool.run("-o full -", paragraph);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot write full: No space left on device\n");
    EXPECT_TRUE(fs::is_character_file(at("full")));

    run = tool.run("-", paragraph, at("full"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot write <stdout>: No space left on device\n");

    // The JSON Lines writer too gives the reason, not just that it failed.
    run = tool.run("-f jsonl -", paragraph + "\n", at("full"));
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err, "error: cannot write <stdout>: No space left on device\n");
}

TEST_F(OutputTargetTest, ASignalRemovesTheTemporaryAndKeepsTheTarget) {
    std::string const target = tool.file("kept.txt", "precious\n");
    pid_t const child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AtomicOutputFile file(target);
        file.stream() << "half";
        ::raise(SIGTERM);
        ::_exit(0); // not reached: the signal ends the process
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
    EXPECT_EQ(ToolRunner::read(target), "precious\n");
    std::vector<std::string> names;
    for (auto const& entry : fs::directory_iterator(tool.directory())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"kept.txt"});
}

} // namespace
} // namespace richmarkup::tool::test
