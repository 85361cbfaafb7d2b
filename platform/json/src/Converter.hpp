#pragma once

#include <foundation/json/Value.hpp>

#include "Tape.hpp"

#include <memory>
#include <utility>
#include <vector>
#include <string_view>

namespace foundation::json::detail {

class Arena;
class BlockPool;

/// Turns values of a parsed document into Values, their payloads made in an arena. One
/// converter may serve many elements of one document, each in an arena of its own.
class Converter {
public:
    /// The arenas' blocks come from `pool`. Long strings and arrays go to the arena where
    /// ArenaStorage is available, else to the heap (`inArena` false: always to the heap).
    explicit Converter(std::shared_ptr<BlockPool> pool, bool inArena = true);
    ~Converter();
    Converter(Converter const&) = delete;
    Converter& operator=(Converter const&) = delete;

    /// Further elements go to a fresh arena, so that each can be freed on its own.
    void startArena();

    /// The value that starts at tape word `at`, as an owning Value.
    Value convert(Tape const& tape, std::size_t at);

    /// Short enough to sit inside a std::string itself, with no buffer elsewhere.
    static bool fitsInside(std::string_view text) noexcept;

private:
    // A borrowing Value, the arena owning it, of the value at `at`, which is moved past it.
    // Depth is bounded by the parser's own limit, so this recursion is bounded too.
    Value value(std::size_t& at);
    Value string(std::string_view text);
    Value object(std::size_t& at);
    Value array(std::size_t& at);
    // With ArenaStorage: an array whose entries, and a string or key whose characters, lie in
    // the arena, not on the heap.
    Value arrayInArena(std::size_t& at);
    char* copyToArena(std::string_view text);
    // Notes the numbers among the direct entries of the array at tape word `open` that the
    // tape holds as 0 though written otherwise; `items`: the array's entries, in the arena.
    void noteZeroedEntries(std::size_t open, Value const* items);
    // The same for the object at tape word `open`: of its members, only those the object keeps.
    void noteZeroedMembers(std::size_t open, Object const& object);

    // Members of the objects being converted, nested ones above their parents': sorted here
    // by key, where moving one costs a string view and a Value, before each std::string key
    // is made once in its place.
    std::vector<std::pair<std::string_view, Value>> pending_;
    // Keys an object being made has more than once.
    std::vector<std::string_view> duplicates_;
    // Numbers converted so far that the tape holds as 0 though written otherwise: a container
    // that sees this count move looks for them among its entries.
    std::size_t zeroedSeen_ = 0;

    Tape const* tape_ = nullptr; // of the value being converted
    std::shared_ptr<BlockPool> pool_;
    // Every string is the element's own, even a repeated one: a string shared between
    // elements would have its count stepped by whichever thread frees an element, and a
    // reading-ahead stream frees them on another core than the one reading them.
    Arena* arena_;
    bool const inArena_;
};

} // namespace foundation::json::detail
