#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a table row ("TableRowNode"): its cells through the injected cell builder.
class TableRowNodeBuilderImpl : public NodeBuilder {
public:
    explicit TableRowNodeBuilderImpl(std::shared_ptr<NodeBuilder> const& tableCellNodeBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<NodeBuilder> tableCellNodeBuilder;
};

} // namespace richmarkup::build::json::text
