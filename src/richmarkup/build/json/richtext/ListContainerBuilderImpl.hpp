#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a list ("ListParagraph"): its items through the injected item builder, then the
/// ordered flag and the anchor id.
class ListContainerBuilderImpl : public NodeBuilder {
public:
    explicit ListContainerBuilderImpl(std::shared_ptr<NodeBuilder> const& listItemBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<NodeBuilder> listItemBuilder;
};

} // namespace richmarkup::build::json::text
