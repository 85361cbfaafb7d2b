#pragma once

#include <richmarkup/build/json/code/CodeElementBuilder.hpp>

namespace richmarkup::build::json::code {

/// Builds a line's indentation ("CodeIndentNode", a count of spaces) into a
/// document::vxzero::CodeTextNode of that many spaces with the token kind "whitespace".
class CodeIndentNodeBuilderImpl : public CodeElementBuilder {
public:
    /// The widest indentation accepted; more is taken for a broken element.
    static constexpr double maxWidth = 256;

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::code
