#include <richmarkup/formats/MarkdownReader.hpp>

#include <stdexcept>

namespace richmarkup::formats {

ReadDocument MarkdownReader::read(std::string_view) { throw std::logic_error("MarkdownReader: not written yet"); }

} // namespace richmarkup::formats
