#pragma once

#include <richmarkup/shared/logging/RecordFileSink.hpp>

#include <fstream>
#include <string>

namespace richmarkup::bench {

/// The tool's record file (one record a line through a buffered std::ofstream), installed
/// while it lives, with a way to start the file over.
class LineFileSink {
public:
    explicit LineFileSink(std::string const& path);

    /// Starts writing at the beginning of the file again, so repeated runs need no more
    /// disk than one.
    void rewind();

private:
    std::ofstream out_;
    richmarkup::shared::logging::RecordFileSink sink_;
};

} // namespace richmarkup::bench
