#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace richmarkup::formats {

/// A map from texts to values for the ids of a page (anchor ids, heading ids). A page may have
/// an id for every paragraph, and a node-based map of strings would allocate twice for each and
/// chase three pointers at every look-up. Here the slots of an open table hold each entry's
/// place and part of its hash, so that a search touches no entry but the one it finds; an entry
/// holds a short key itself, a longer one in blocks of text shared by all. Entries and keys
/// stay where they are written as the table grows: moving them would touch new memory, and
/// memory touched for the first time costs a page fault a page.
template <class Value>
class TextTable {
public:
    /// The value of `key`, or null.
    Value* find(std::string_view key) {
        if (slots_.empty()) {
            return nullptr;
        }
        std::uint64_t const slot = slots_[slotOf(key, hashOf(key))];
        return slot != 0 ? &entries_[indexOf(slot)].value : nullptr;
    }
    Value const* find(std::string_view key) const { return const_cast<TextTable*>(this)->find(key); }
    bool contains(std::string_view key) const { return find(key) != nullptr; }

    /// Adds `key` with `value` unless the key is there already; gives the key's value and
    /// whether it was added.
    std::pair<Value*, bool> insert(std::string_view key, Value value) {
        // At most half full: a search ends at an empty slot soon.
        if (2 * (entries_.size() + 1) > slots_.size()) {
            grow();
        }
        std::size_t const hash = hashOf(key);
        std::uint64_t& slot = slots_[slotOf(key, hash)];
        if (slot != 0) {
            return {&entries_[indexOf(slot)].value, false};
        }
        Entry entry{
            static_cast<std::uint32_t>(hash >> 32), static_cast<std::uint32_t>(key.size()), {}, std::move(value)};
        if (key.size() <= sizeof entry.key.inPlace) {
            std::memcpy(entry.key.inPlace, key.data(), key.size());
        } else {
            if (keys_.empty() || keys_.back().capacity() - keys_.back().size() < key.size()) {
                keys_.emplace_back().reserve(std::max(keyBlock, key.size()));
            }
            entry.key.far.block = static_cast<std::uint32_t>(keys_.size() - 1);
            entry.key.far.offset = static_cast<std::uint32_t>(keys_.back().size());
            keys_.back().append(key);
        }
        entries_.push_back(std::move(entry));
        slot = slotFor(hash, entries_.size() - 1);
        return {&entries_.back().value, true};
    }

    std::size_t size() const noexcept { return entries_.size(); }

private:
    struct Entry {
        std::uint32_t hash; // the high half of the key's hash
        std::uint32_t size;
        union {
            char inPlace[16]; // a key of up to 16 bytes
            struct {
                std::uint32_t block; // a longer one's place in keys_
                std::uint32_t offset;
            } far;
        } key;
        Value value;
    };

    static std::size_t hashOf(std::string_view key) noexcept { return std::hash<std::string_view>()(key); }
    // A slot: the high half of the hash beside 1 + the entry's index; 0 for an empty slot.
    static std::uint64_t slotFor(std::size_t hash, std::size_t index) noexcept {
        return (static_cast<std::uint64_t>(hash >> 32) << 32) | (index + 1);
    }
    static std::size_t indexOf(std::uint64_t slot) noexcept { return static_cast<std::uint32_t>(slot) - 1; }

    std::string_view keyOf(Entry const& entry) const {
        return entry.size <= sizeof entry.key.inPlace
                   ? std::string_view(entry.key.inPlace, entry.size)
                   : std::string_view(keys_[entry.key.far.block]).substr(entry.key.far.offset, entry.size);
    }

    // The slot that holds `key`, or the empty one where it would go.
    std::size_t slotOf(std::string_view key, std::size_t hash) const {
        std::size_t const mask = slots_.size() - 1;
        std::uint32_t const high = static_cast<std::uint32_t>(hash >> 32);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            std::uint64_t const slot = slots_[i];
            if (slot == 0) {
                return i;
            }
            if (static_cast<std::uint32_t>(slot >> 32) == high && keyOf(entries_[indexOf(slot)]) == key) {
                return i;
            }
        }
    }

    void grow() {
        std::vector<std::uint64_t> slots(slots_.empty() ? 64 : 2 * slots_.size(), 0);
        std::size_t const mask = slots.size() - 1;
        for (std::uint64_t const slot : slots_) {
            if (slot == 0) {
                continue;
            }
            // The low half of the hash places a slot; recomputed from the key, which the table has.
            std::size_t i = hashOf(keyOf(entries_[indexOf(slot)])) & mask;
            while (slots[i] != 0) {
                i = (i + 1) & mask;
            }
            slots[i] = slot;
        }
        slots_ = std::move(slots);
    }

    static constexpr std::size_t keyBlock = 16 * 1024;

    std::vector<std::string> keys_; // blocks of the keys longer than 16 bytes, filled in turn
    std::deque<Entry> entries_;
    std::vector<std::uint64_t> slots_;
};

/// The bytes of a pointer as a TextTable key, for a table of nodes.
template <class T>
std::string_view pointerKey(T const* const& pointer) noexcept {
    return std::string_view(reinterpret_cast<char const*>(&pointer), sizeof pointer);
}

} // namespace richmarkup::formats
