#pragma once

#include <richmarkup/build/json/text/TextElementBuilder.hpp>

namespace richmarkup::build::json::text {

/// Builds a run of formatted text ("RichTextNode") into a document::vxzero::RichTextNode.
class RichTextNodeBuilderImpl : public TextElementBuilder {
public:
    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::text
