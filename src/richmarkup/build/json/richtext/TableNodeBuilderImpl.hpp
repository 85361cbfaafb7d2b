#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <document/vxzero/TableNode.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a table ("TableNode"): its header flag and column widths, its rows through the
/// injected row builder, then its anchor id.
class TableNodeBuilderImpl : public NodeBuilder {
public:
    explicit TableNodeBuilderImpl(std::shared_ptr<NodeBuilder> const& tableRowNodeBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    void buildTableNodeMetaData(foundation::json::Value const& element, document::vxzero::TableNode table);

    std::shared_ptr<NodeBuilder> tableRowNodeBuilder;
};

} // namespace richmarkup::build::json::text
