#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <vx/zero/Model.hpp>

namespace richmarkup::build::json::text {

/// The route of the containers with one injected child builder: every entry of the element's
/// "children" that the builder accepts is built and appended in order; the others are
/// dropped without a record. A non-array "children" throws before anything is built.
inline void buildChildrenWith(NodeBuilder& childBuilder, document::vxzero::Node::Impl& parent,
                              vx::zero::Model const& model, foundation::json::Value const& element) {
    auto& sequence = parent.getChildrenMutable();
    // Shared, immutable storage: iterating in place is the copy without its cost.
    for (foundation::json::Value const& child : element["children"].asArray()) {
        if (childBuilder.canBuild(child)) {
            sequence.add(childBuilder.build(model, child));
        }
    }
}

} // namespace richmarkup::build::json::text
