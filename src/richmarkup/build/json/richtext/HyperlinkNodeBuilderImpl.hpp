#pragma once

#include <richmarkup/build/json/text/TextElementBuilder.hpp>

namespace richmarkup::build::json::text {

/// Builds a link ("HyperlinkNode"): target, anchor and target type from its "hyperlink"
/// object, its inline content through the text-block builder looked up at each build.
class HyperlinkNodeBuilderImpl : public TextElementBuilder {
public:
    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::text
