#pragma once

#include <richmarkup/build/json/text/TextElementBuilder.hpp>

namespace richmarkup::build::json::text {

/// Builds an image ("ImageNode"): its id on the node, source, size, alternative text and
/// vertical alignment in the attached image data.
class ImageNodeBuilderImpl : public TextElementBuilder {
public:
    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::text
