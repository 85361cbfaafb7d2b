#pragma once

#include <cstddef>
#include <optional>

namespace richmarkup::tool {

/// Keeps a process reading a mapped file alive when the file is cut short under it. Reading a
/// page of a mapping past the file's new end raises SIGBUS, which would end the process; while
/// a guard watches the mapping, such a page is replaced by zeros instead and the guard
/// remembers it, so the reader finishes (reading zeros) and the caller can tell that what it
/// read is not the file. A SIGBUS anywhere else ends the process as before.
class MappingGuard {
public:
    /// Watches [begin, begin + length), a whole number of pages; none when every slot is taken
    /// (the caller should then read the file instead of mapping it).
    static std::optional<MappingGuard> watch(void* begin, std::size_t length) noexcept;

    MappingGuard(MappingGuard&& other) noexcept;
    MappingGuard& operator=(MappingGuard&& other) noexcept;
    ~MappingGuard();

    /// Whether a page of the mapping was gone when read (and now reads as zeros).
    bool faulted() const noexcept;

private:
    explicit MappingGuard(std::size_t slot) noexcept : slot_(slot) {}
    void release() noexcept;

    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    std::size_t slot_ = kNoSlot;
};

} // namespace richmarkup::tool
