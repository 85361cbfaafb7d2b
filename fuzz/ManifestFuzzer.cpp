// Manifest text: read into headers, then its component descriptions; bad text is an
// exception naming what is wrong, never a crash.
#include "ds/MetadataParser.hpp"
#include "framework/ManifestParser.hpp"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string const text(reinterpret_cast<char const*>(data), size);
    try {
        cppmicroservices::AnyMap const headers = cppmicroservices::ManifestParser::Parse(text, "fuzz/manifest.json");
        (void)cppmicroservices::scr::MetadataParser::Parse("fuzz", headers);
    } catch (std::exception const&) {}
    return 0;
}
