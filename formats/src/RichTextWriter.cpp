#include <richmarkup/formats/RichTextWriter.hpp>

#include <ostream>
#include <sstream>
#include <stdexcept>

namespace richmarkup::formats {

void RichTextWriter::write(std::ostream&, std::vector<document::vxzero::Node> const&, Options const&) {
    throw std::logic_error("RichTextWriter: not written yet");
}

std::string RichTextWriter::toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options) {
    std::ostringstream out;
    write(out, topLevel, options);
    return out.str();
}

} // namespace richmarkup::formats
