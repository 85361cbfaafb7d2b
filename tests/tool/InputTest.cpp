// How the tool takes its inputs: mapped files of every size against the padding the parser
// needs, what cannot be mapped, and the restart for large inputs.
#include "InputText.hpp"
#include "LargeHeap.hpp"
#include "ToolRunner.hpp"

#include <foundation/json/Parser.hpp>
#include <foundation/memory/Pages.hpp>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <thread>

namespace richmarkup::tool::test {
namespace {

using ::testing::HasSubstr;

std::string const paragraph =
    R"({"className":"RichTextParagraphNode","children":[{"className":"RichTextNode","text":"x"}]})";

// A document of exactly `size` bytes: spaces pad it after the element.
std::string documentOfSize(std::size_t size) {
    std::string text = paragraph;
    text.append(size - text.size(), ' ');
    return text;
}

TEST(InputTextTest, FilesOfEverySizeAroundAPageParseAsTheyAre) {
    ToolRunner runner;
    std::size_t const page = foundation::memory::pageSize();
    std::size_t const mapped = (std::size_t(1) << 20) / page * page + 4 * page; // mapped from 1 MiB
    // Mapped: ends exactly on a page (nothing readable beyond it: the parser must copy), just
    // short of one (too little room for the padding), and with room to spare. Read: small ones.
    for (std::size_t size : {mapped, mapped - 10, mapped + 100, mapped + page, page, page - 10}) {
        SCOPED_TRACE(size);
        std::string const text = documentOfSize(size);
        InputText input = InputText::read(runner.file("doc.json", text));
        EXPECT_EQ(input.text(), text);
        foundation::json::WritableText const writable = input.writable();
        if (size > page) {
            EXPECT_EQ(writable.size + writable.readableBeyondEnd, (size + page - 1) / page * page);
        }
        foundation::json::Parser parser;
        foundation::json::ElementStream stream = parser.streamAndRelease(writable);
        foundation::json::Value element;
        ASSERT_TRUE(stream.next(element));
        EXPECT_EQ(element["className"].asString(), "RichTextParagraphNode");
        EXPECT_EQ(input.text(), text) << "the parse leaves the text as it found it";
    }
}

TEST(InputTextTest, WhatCannotBeMappedIsRead) {
    ToolRunner runner;
    EXPECT_EQ(InputText::read(runner.file("empty.json", "")).text(), "");
    std::string const fifo = (runner.directory() / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::thread writer([&] { std::ofstream(fifo) << paragraph; });
    ToolRun const run = runner.run("-t tree " + fifo);
    writer.join();
    EXPECT_EQ(run.out, "RichTextParagraphNode alignment=left\n  RichTextNode \"x\"\n");
    try {
        (void)InputText::read(runner.directory().string());
        ADD_FAILURE() << "a directory was read";
    } catch (std::runtime_error const& e) {
        EXPECT_THAT(e.what(), HasSubstr("Is a directory"));
    }
}

TEST(LargeHeapTest, AddsTheHeapTunablesOnceAndKeepsTheUsersOwn) {
    std::string const ours = "glibc.malloc.hugetlb=1:glibc.malloc.top_pad=4194304";
    EXPECT_EQ(LargeHeap::tunablesFor(nullptr), ours);
    EXPECT_EQ(LargeHeap::tunablesFor(""), ours);
    EXPECT_EQ(LargeHeap::tunablesFor("glibc.malloc.check=3"), "glibc.malloc.check=3:" + ours);
    EXPECT_EQ(LargeHeap::tunablesFor("glibc.malloc.top_pad=0"), "glibc.malloc.top_pad=0:glibc.malloc.hugetlb=1");
    EXPECT_EQ(LargeHeap::tunablesFor("glibc.malloc.hugetlb=0"), ""); // the user chose: no restart
}

// A large input restarts the tool once, with huge pages; output and messages are those of a run
// without the restart.
TEST(LargeHeapTest, ALargeInputGivesTheSameOutputRestartedOrNot) {
    ToolRunner runner;
    std::string text = "[";
    while (text.size() < LargeHeap::threshold + 1000) {
        text += paragraph + ",";
    }
    text += R"({"className":"NoSuchNode"}])";
    std::string const path = runner.file("large.json", text);
    ToolRun const restarted = runner.run("--stats -t json -c " + path);
    ::setenv("RICHMARKUP_HUGE_PAGES", "0", 1);
    ToolRun const kept = runner.run("--stats -t json -c " + path);
    ::unsetenv("RICHMARKUP_HUGE_PAGES");
    ToolRun const small = runner.run("--stats -t json -c " + runner.file("small.json", paragraph));

    EXPECT_EQ(restarted.status, 0);
    EXPECT_THAT(restarted.err, HasSubstr("stats: huge pages: requested"));
    EXPECT_THAT(kept.err, HasSubstr("stats: huge pages: not requested"));
    EXPECT_THAT(small.err, HasSubstr("stats: huge pages: not requested"));
    EXPECT_EQ(restarted.out, kept.out);
    auto const diagnostics = [](std::string const& err) { return err.substr(0, err.find("stats:")); };
    EXPECT_THAT(diagnostics(restarted.err), HasSubstr("NoSuchNode"));
    EXPECT_EQ(diagnostics(restarted.err), diagnostics(kept.err));
}

} // namespace
} // namespace richmarkup::tool::test
