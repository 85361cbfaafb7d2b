#include "RecordWriter.hpp"

#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <boost/log/core/core.hpp>
#include <boost/log/expressions.hpp>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

using richmarkup::build::json::text::RecordWriter;
using richmarkup::shared::logging::getLogger;
using richmarkup::test::RecordCapture;

namespace {

// Counts how often a piece is computed: a disabled record must compute none.
struct Probe {
    int* computed;
    friend boost::log::record_ostream& operator<<(boost::log::record_ostream& s, Probe const& p) {
        ++*p.computed;
        return s << "probe";
    }
};

} // namespace

TEST(RecordWriter, WritesPiecesInOrderAtLevelEight) {
    RecordCapture capture;
    std::u16string const typeName = u"document::vxzero::RichTextNode";
    std::string const utf8 = "gr\xC3\xBC\xC3\x9F";
    RecordWriter::write("Starting to build a RichTextNode");
    RecordWriter::write([&](auto& s) { s << "The " << typeName << " now has " << std::size_t{3} << " children"; });
    RecordWriter::write([&](auto& s) { s << "Setting node text to " << utf8; });
    EXPECT_EQ(capture.messages(), (std::vector<std::string>{"Starting to build a RichTextNode",
                                                            "The document::vxzero::RichTextNode now has 3 children",
                                                            "Setting node text to " + utf8}));
    EXPECT_EQ(capture.severities(), (std::vector<int>{8, 8, 8}));
}

TEST(RecordWriter, NonAsciiUtf16PiecesBecomeUtf8) {
    RecordCapture capture;
    std::u16string const name = u"Stra\u00DFe \U0001F600";
    RecordWriter::write([&](auto& s) { s << name; });
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0], "Stra\xC3\x9F"
                                     "e \xF0\x9F\x98\x80");
}

TEST(RecordWriter, DisabledLevelComputesNothing) {
    RecordCapture capture;
    getLogger().disable(8);
    getLogger().enable(4 | 16); // other levels must not let level 8 through
    int computed = 0;
    RecordWriter::write([&](auto& s) { s << Probe{&computed}; });
    RecordWriter::write("literal");
    EXPECT_EQ(computed, 0);
    EXPECT_TRUE(capture.messages().empty());
}

TEST(RecordWriter, DisabledCoreAndRejectingFilterSkipTheRecord) {
    RecordCapture capture;
    auto core = boost::log::core::get();
    int computed = 0;

    core->set_logging_enabled(false);
    RecordWriter::write([&](auto& s) { s << Probe{&computed}; });
    core->set_logging_enabled(true);

    core->set_filter(boost::log::expressions::attr<int>("Severity") < 8);
    RecordWriter::write([&](auto& s) { s << Probe{&computed}; });
    core->reset_filter();

    EXPECT_EQ(computed, 0);
    EXPECT_TRUE(capture.messages().empty());
    RecordWriter::write("after");
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"after"});
}

TEST(RecordWriter, RecordIsDroppedWhenAPieceThrows) {
    RecordCapture capture;
    EXPECT_THROW(RecordWriter::write([](auto& s) {
                     s << "half";
                     throw std::runtime_error("piece failed");
                 }),
                 std::runtime_error);
    EXPECT_TRUE(capture.messages().empty());
    RecordWriter::write("next");
    EXPECT_EQ(capture.messages(), std::vector<std::string>{"next"});
}

TEST(RecordWriter, ManyThreadsLoseNoRecord) {
    RecordCapture capture;
    constexpr int threads = 4;
    constexpr int perThread = 500;
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([t] {
            for (int i = 0; i < perThread; ++i) {
                RecordWriter::write([&](auto& s) { s << "thread " << t << " record " << i; });
            }
        });
    }
    for (auto& th : pool) {
        th.join();
    }
    auto const messages = capture.messages();
    ASSERT_EQ(messages.size(), static_cast<std::size_t>(threads * perThread));
    for (auto const& m : messages) {
        EXPECT_EQ(m.rfind("thread ", 0), 0u) << m;
    }
}

TEST(Logger, IsOneSharedInstanceWithLevelsOffUntilEnabled) {
    auto& a = getLogger();
    auto& b = getLogger();
    EXPECT_EQ(&a, &b);
    unsigned const saved = a.mask();
    a.setMask(0);
    EXPECT_FALSE(a.isEnabled(8));
    a.enable(8);
    EXPECT_TRUE(a.isEnabled(8));
    EXPECT_FALSE(a.isEnabled(4));
    EXPECT_EQ(a.mask(), 8u);
    a.setMask(saved);
}
