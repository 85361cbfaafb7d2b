#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a table of contents ("TableOfContentsContainer"): its entries through the injected
/// entry builder, then the anchor id.
class TableOfContentsContainerBuilderImpl : public NodeBuilder {
public:
    explicit TableOfContentsContainerBuilderImpl(std::shared_ptr<NodeBuilder> const& tableOfContentsHeadingNodeBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<NodeBuilder> tableOfContentsHeadingNodeBuilder;
};

} // namespace richmarkup::build::json::text
