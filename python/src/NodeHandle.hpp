#pragma once

#include "ParsedDocument.hpp"

#include <richmarkup/formats/NodeView.hpp>

#include <pybind11/pybind11.h>

#include <memory>
#include <vector>

namespace richmarkup::python {

/// richmarkup.Node: a node of a model, with a share of the document that owns the model, so that
/// a node outlives the Document object it came from. It holds no handle on the node: a model
/// counts those without atomics, and the GIL does not cover the writers.
struct NodeHandle {
    std::shared_ptr<ParsedDocument const> owner;
    document::vxzero::Node::Impl const* node;

    formats::NodeView view() const noexcept { return formats::NodeView(*node); }
};

/// The nodes of `nodes` that are no null nodes, as Python objects.
std::vector<NodeHandle> handlesOf(std::shared_ptr<ParsedDocument const> const& owner,
                                  std::vector<document::vxzero::Node> const& nodes);

void bindNode(pybind11::module_& module);

} // namespace richmarkup::python
