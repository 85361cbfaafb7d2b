#include <richmarkup/formats/PandocReader.hpp>

#include <stdexcept>

namespace richmarkup::formats {

ReadDocument PandocReader::read(std::string_view) { throw std::logic_error("PandocReader: not written yet"); }

} // namespace richmarkup::formats
