// Bytes as a bundle file: opening it and reading every entry either works or raises a
// std::exception; zip bombs and broken directories are refused, not followed.
#include "archive/ResourceArchive.hpp"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    static std::string const path = "/tmp/richmarkup-archive-fuzz-" + std::to_string(::getpid()) + ".so";
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::abort();
    }
    if (size != 0 && std::fwrite(data, 1, size, file) != size) {
        std::abort();
    }
    std::fclose(file);
    try {
        cppmicroservices::detail::ResourceArchive archive(path);
        for (std::string const& name : archive.GetEntryNames()) {
            try {
                (void)archive.Read(name);
            } catch (std::exception const&) {}
        }
    } catch (std::exception const&) {}
    return 0;
}
