#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextBlockBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a table-of-contents entry ("TableOfContentsHeadingNode"): inline content through
/// the text-block builder, then its alignment.
class TableOfContentsHeadingNodeBuilderImpl : public NodeBuilder {
public:
    explicit TableOfContentsHeadingNodeBuilderImpl(std::shared_ptr<TextBlockBuilder> const& textBlockBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<TextBlockBuilder> textBlockBuilder;
};

} // namespace richmarkup::build::json::text
