#pragma once

#include <foundation/json/Value.hpp>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace foundation::json::detail {

/// Points a std::string or an Array at characters or elements laid out in an arena, so that
/// the long strings and the arrays of a parsed tree cost no heap allocation and no free of
/// their own: they are made and let go with the arena's blocks, beside the objects that hold
/// them.
///
/// The standard containers own their storage, so this writes their three words (start, size,
/// capacity) directly. It is only done where the library's layout was checked at run time to
/// be the expected one (`available`); elsewhere the converter copies to the heap as usual.
/// A container pointed here must never be destroyed, assigned or grown: the payloads of an
/// arena are immutable and no destructor of theirs ever runs.
class ArenaStorage {
public:
    using Word = std::uintptr_t;
    static Word address(void const* p) noexcept { return reinterpret_cast<Word>(p); }

    /// Whether this standard library's std::string and std::vector<Value> have the layout
    /// these functions write; checked once.
    static bool available() noexcept;

    /// `s`, empty, is made to read the `size` characters at `chars`, which end with a NUL.
    static void point(std::string& s, char* chars, std::size_t size) noexcept { write(s, address(chars), size, size); }
    /// `items`, empty, is made to read the `size` Values at `values`.
    static void point(Array& items, Value* values, std::size_t size) noexcept {
        write(items, address(values), address(values + size), address(values + size));
    }

private:
    // A container's first three words: its start, its size or end, and its capacity. Inline,
    // so that they are three plain stores.
    template <class Container>
    static void write(Container& container, Word start, Word second, Word third) noexcept {
        Word const words[3] = {start, second, third};
        std::memcpy(static_cast<void*>(&container), words, sizeof words);
    }
};

} // namespace foundation::json::detail
