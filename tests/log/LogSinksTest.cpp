#include <richmarkup/shared/logging/RecordCounter.hpp>
#include <richmarkup/shared/logging/RecordFileSink.hpp>

#include "RecordWriter.hpp"

#include <richmarkup/shared/logging/Logger.hpp>

#include <gtest/gtest.h>

#include <sstream>

namespace richmarkup::shared::logging {
namespace {

using richmarkup::build::json::text::RecordWriter;

class LogSinksTest : public ::testing::Test {
protected:
    void SetUp() override { richmarkup::shared::logging::getLogger().enable(8); }
    void TearDown() override { richmarkup::shared::logging::getLogger().disable(8); }

    // With no sink at all the logging core falls back to printing on the console; one sink for
    // the whole test keeps the records written outside the sinks under test quiet.
    RecordCounter quiet;
};

TEST_F(LogSinksTest, FileSinkWritesOneMessageALine) {
    std::ostringstream out;
    {
        RecordFileSink sink(out);
        RecordWriter::write("Checking if can build RichTextNode");
        RecordWriter::write([](auto& s) {
            s << "Setting node text to "
              << "two\nlines\r\\tex";
        });
        RecordWriter::write([](auto& s) { s << "x\r\ny\n\n\rz"; });
        RecordWriter::write("");
    }
    RecordWriter::write("after the sink is gone");
    EXPECT_EQ(out.str(), "Checking if can build RichTextNode\n"
                         "Setting node text to two\\nlines\\r\\tex\n"
                         "x\\r\\ny\\n\\n\\rz\n"
                         "\n");
}

TEST_F(LogSinksTest, CounterCountsRecordsWhileItLives) {
    RecordWriter::write("before");
    std::size_t seen = 0;
    {
        RecordCounter counter;
        std::ostringstream out;
        RecordFileSink sink(out); // another sink at the same time does not change the count
        for (int i = 0; i < 5; ++i) {
            RecordWriter::write("a record");
        }
        richmarkup::shared::logging::getLogger().disable(8);
        RecordWriter::write("disabled: never opened");
        seen = counter.count();
    }
    EXPECT_EQ(seen, 5u);
}

} // namespace
} // namespace richmarkup::shared::logging
