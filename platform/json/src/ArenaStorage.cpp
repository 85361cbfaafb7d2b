#include "ArenaStorage.hpp"

#include <cstdint>
#include <cstring>
#include <new>

namespace foundation::json::detail {

namespace {

using Word = ArenaStorage::Word;

template <class Container>
void readWords(Container const& container, Word (&words)[3]) noexcept {
    std::memcpy(words, static_cast<void const*>(&container), sizeof words);
}

// Writes a container's words, lets `reads` look at it, and puts its own bytes back before it
// is destroyed, so that nothing is ever freed that it did not allocate.
template <class Container, class Write, class Reads>
bool pointedReads(Write write, Reads reads) noexcept {
    Container target;
    alignas(Container) unsigned char saved[sizeof(Container)];
    std::memcpy(saved, static_cast<void const*>(&target), sizeof saved);
    write(target);
    bool const ok = reads(static_cast<Container const&>(target));
    std::memcpy(static_cast<void*>(&target), saved, sizeof saved);
    return ok;
}

bool stringLayout() noexcept {
#if defined(__GLIBCXX__) && _GLIBCXX_USE_CXX11_ABI
    if (sizeof(std::string) != 4 * sizeof(Word)) {
        return false;
    }
    try {
        std::string const probe(64, 'x');
        Word words[3];
        readWords(probe, words);
        if (words[0] != ArenaStorage::address(probe.data()) || words[1] != probe.size() ||
            words[2] != probe.capacity()) {
            return false;
        }
    } catch (std::bad_alloc const&) {
        return false;
    }
    char chars[] = "a string pointed at this buffer";
    std::size_t const size = sizeof chars - 1;
    return pointedReads<std::string>([&](std::string& s) { ArenaStorage::point(s, chars, size); },
                                     [&](std::string const& s) {
                                         return s.data() == chars && s.c_str() == chars && s.size() == size &&
                                                s.capacity() == size && s == chars;
                                     });
#else
    return false; // another library's layout: not written to
#endif
}

bool arrayLayout() noexcept {
#if defined(__GLIBCXX__)
    if (sizeof(Array) != 3 * sizeof(Word)) {
        return false;
    }
    try {
        Array probe;
        probe.reserve(4);
        probe.emplace_back();
        probe.emplace_back();
        Word words[3];
        readWords(probe, words);
        if (words[0] != ArenaStorage::address(probe.data()) || words[1] != ArenaStorage::address(probe.data() + 2) ||
            words[2] != ArenaStorage::address(probe.data() + probe.capacity())) {
            return false;
        }
    } catch (std::bad_alloc const&) {
        return false;
    }
    Value values[2] = {Value(true), Value(2.0)};
    return pointedReads<Array>([&](Array& a) { ArenaStorage::point(a, values, 2); },
                               [&](Array const& a) {
                                   return a.data() == values && a.size() == 2 && a.capacity() == 2 &&
                                          &a.back() == &values[1] && a[1].asDouble() == 2.0;
                               });
#else
    return false;
#endif
}

} // namespace

bool ArenaStorage::available() noexcept {
    static bool const checked = stringLayout() && arrayLayout();
    return checked;
}

} // namespace foundation::json::detail
