#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

namespace richmarkup::build::json::text {

/// Builds a table cell ("TableCellNode"). Its children may be any block element, so each
/// is handed to the first block builder registered in the framework that accepts it; the
/// builders are looked up afresh for every cell.
class TableCellNodeBuilderImpl : public NodeBuilder {
public:
    TableCellNodeBuilderImpl() = default;

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::text
