#include "ElfDependencies.hpp"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <iterator>

namespace richmarkup::host {

namespace {

template <class T>
bool readAt(std::string const& bytes, std::uint64_t offset, T& out) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(T)) {
        return false;
    }
    std::memcpy(&out, bytes.data() + offset, sizeof(T));
    return true;
}

// Section headers, not program headers: the dynamic section's sh_link names its string
// table directly, with no address-to-offset mapping through the load segments.
template <class Ehdr, class Shdr, class Dyn>
std::vector<std::string> neededOf(std::string const& bytes) {
    std::vector<std::string> needed;
    Ehdr header;
    if (!readAt(bytes, 0, header) || header.e_shentsize != sizeof(Shdr)) {
        return needed;
    }
    for (unsigned index = 0; index < header.e_shnum; ++index) {
        Shdr section;
        if (!readAt(bytes, header.e_shoff + std::uint64_t(index) * sizeof(Shdr), section) ||
            section.sh_type != SHT_DYNAMIC) {
            continue;
        }
        Shdr strings;
        if (section.sh_link >= header.e_shnum ||
            !readAt(bytes, header.e_shoff + std::uint64_t(section.sh_link) * sizeof(Shdr), strings) ||
            strings.sh_offset > bytes.size() || bytes.size() - strings.sh_offset < strings.sh_size) {
            return needed;
        }
        for (std::uint64_t at = section.sh_offset; at + sizeof(Dyn) <= section.sh_offset + section.sh_size;
             at += sizeof(Dyn)) {
            Dyn entry;
            if (!readAt(bytes, at, entry) || entry.d_tag == DT_NULL) {
                break;
            }
            if (entry.d_tag == DT_NEEDED && entry.d_un.d_val < strings.sh_size) {
                char const* name = bytes.data() + strings.sh_offset + entry.d_un.d_val;
                needed.emplace_back(name, strnlen(name, strings.sh_size - entry.d_un.d_val));
            }
        }
        return needed;
    }
    return needed;
}

} // namespace

std::vector<std::string> elfDependencies(std::filesystem::path const& file) {
    std::ifstream in(file, std::ios::binary);
    std::string const bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (bytes.size() < EI_NIDENT || std::memcmp(bytes.data(), ELFMAG, SELFMAG) != 0 || bytes[EI_DATA] != ELFDATA2LSB) {
        return {};
    }
    if (bytes[EI_CLASS] == ELFCLASS64) {
        return neededOf<Elf64_Ehdr, Elf64_Shdr, Elf64_Dyn>(bytes);
    }
    if (bytes[EI_CLASS] == ELFCLASS32) {
        return neededOf<Elf32_Ehdr, Elf32_Shdr, Elf32_Dyn>(bytes);
    }
    return {};
}

} // namespace richmarkup::host
