#pragma once

#include <foundation/json/Value.hpp>

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::host {

/// Something of an element the build left out or stored otherwise, at a JSON pointer.
struct Finding {
    std::string pointer;
    std::string message;
};

/// Reads elements as the format's description (FormatDescription.hpp) says the builders do, so
/// that what they drop without a word can be said. It reads elements only; it never calls a
/// builder, whose records must stay as they are.
class ElementChecker {
public:
    /// blockKinds: the kinds the registered block builders take, which a table cell may hold.
    explicit ElementChecker(std::set<std::string> const& blockKinds);

    /// Warnings for an element a block builder took, at `pointer` in the document: children
    /// that no builder takes at their place, keys the build ignores for their JSON kind,
    /// values the model stores otherwise than written, unknown keys close to known ones, and
    /// what the text wrote that the parsed element does not show (keys given twice, numbers
    /// too small for a double).
    void check(foundation::json::Value const& element, std::string const& pointer, std::vector<Finding>& out) const;

    /// Where the build error `builderMessage` of the element comes from: the first value of a
    /// kind the builders cannot read, or that they refuse, or the object missing a key they
    /// need, whose fault is the one the message names (the result's message says what it is,
    /// or is empty where the builder's says it all). Nothing where none is.
    std::optional<Finding> locateError(foundation::json::Value const& element, std::string const& pointer,
                                       std::string_view builderMessage) const;

    /// Whether a block builder takes `element`, at the top level or in a table cell.
    bool takesBlock(foundation::json::Value const& element) const;
    /// Where in `element`'s "children" stands its `n`-th child (from 0) that the build makes a
    /// node of: children that no builder takes at their place make none. Nullopt when there
    /// are fewer, or the element is none that the checker knows.
    std::optional<std::size_t> nodeChildPosition(foundation::json::Value const& element, std::size_t n) const;

private:
    // Warnings for what the text wrote that `value`, at `pointer` in `tree`, does not show.
    static void textNotes(foundation::json::Value const& tree, foundation::json::Value const& value,
                          std::string const& pointer, std::vector<Finding>& out);

    std::vector<bool> blockRules_; // for each kind of the description: whether it is one of the block kinds
};

} // namespace richmarkup::host
