#pragma once

#include <richmarkup/build/json/text/TextElementBuilder.hpp>

namespace richmarkup::build::json::text {

/// Builds an equation ("EquationNode"): its TeX source on the node, display style,
/// encoding and alternative text in the attached equation data.
class EquationNodeBuilderImpl : public TextElementBuilder {
public:
    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::text
