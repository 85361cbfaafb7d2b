#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextBlockBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a paragraph ("RichTextParagraphNode"): its inline children through the text-block
/// builder, then its anchor id and alignment.
class RichTextParagraphNodeBuilderImpl : public NodeBuilder {
public:
    explicit RichTextParagraphNodeBuilderImpl(std::shared_ptr<TextBlockBuilder> const& textBlockBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<TextBlockBuilder> textBlockBuilder;
};

} // namespace richmarkup::build::json::text
