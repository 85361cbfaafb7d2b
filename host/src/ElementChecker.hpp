#pragma once

#include <foundation/json/Value.hpp>

#include <optional>
#include <set>
#include <string>
#include <vector>

namespace richmarkup::host {

/// Something of an element the build left out or stored otherwise, at a JSON pointer.
struct Finding {
    std::string pointer;
    std::string message;
};

/// What the host knows of the format: every route a child can take and every key the builders
/// read, so that what they drop without a word can be said. It reads elements only; it never
/// calls a builder, whose records must stay as they are.
class ElementChecker {
public:
    /// blockKinds: the kinds the registered block builders take, which a table cell may hold.
    explicit ElementChecker(std::set<std::string> blockKinds);

    /// Warnings for an element a block builder took, at `pointer` in the document: children
    /// that no builder takes at their place, keys the build ignores for their JSON kind,
    /// values the model stores otherwise than written, and unknown keys close to known ones.
    void check(foundation::json::Value const& element, std::string const& pointer,
               std::vector<Finding>& out) const;

    /// Where a build error of the element comes from: the first value of a kind the builders
    /// cannot read, or the object missing a key they need (the message names the key).
    std::optional<Finding> locateError(foundation::json::Value const& element, std::string const& pointer) const;

    /// The kinds the project's block builders take, by the test id of their service.
    static std::optional<std::string> kindOfTestId(std::string const& testId);

private:
    std::set<std::string> blockKinds_;
    std::vector<bool> blockRules_;  // for each kind the checker knows: whether it is one of blockKinds_
};

} // namespace richmarkup::host
