#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextBlockBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a list item ("ListItem"): alignment, then inline content through the text-block
/// builder.
class ListItemBuilderImpl : public NodeBuilder {
public:
    explicit ListItemBuilderImpl(std::shared_ptr<TextBlockBuilder> const& textBlockBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<TextBlockBuilder> textBlockBuilder;
};

} // namespace richmarkup::build::json::text
