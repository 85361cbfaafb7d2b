#pragma once

#include <richmarkup/host/DocumentBuild.hpp>

#include "ElementChecker.hpp"

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>
#include <string>
#include <vector>

namespace richmarkup::host {

struct DocumentBuild::State {
    vx::zero::Model const* model = nullptr;
    std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> builders;
    WarningHandler onWarning;
    BuildResult result;
    std::size_t added = 0;
    /// Whether the elements are those of an array (pointers "/0", "/1", ...) or the one element
    /// of a document (pointer "").
    bool inArray = true;
    ElementChecker checker{{}};

    std::string elementPointer() const { return inArray ? "/" + std::to_string(added - 1) : std::string(); }
    void warn(std::string message, std::string pointer);
    /// Builds one element. `findings`: what the checker found in it, at pointers relative to
    /// the element, when that was worked out beforehand (on another thread); else nullptr,
    /// and the element is checked here.
    void add(foundation::json::Value const& element, std::vector<Finding> const* findings);
    /// The checker's findings of an element, at pointers relative to it.
    /// Reads the element only: may run on any thread.
    std::vector<Finding> check(foundation::json::Value const& element) const;
};

} // namespace richmarkup::host
