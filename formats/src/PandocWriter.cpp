#include <richmarkup/formats/PandocWriter.hpp>

#include <ostream>
#include <sstream>
#include <stdexcept>

namespace richmarkup::formats {

void PandocWriter::write(std::ostream&, std::vector<document::vxzero::Node> const&, Options const&) {
    throw std::logic_error("PandocWriter: not written yet");
}

std::string PandocWriter::toString(std::vector<document::vxzero::Node> const& topLevel, Options const& options) {
    std::ostringstream out;
    write(out, topLevel, options);
    return out.str();
}

} // namespace richmarkup::formats
