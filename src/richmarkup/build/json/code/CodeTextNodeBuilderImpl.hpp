#pragma once

#include <richmarkup/build/json/code/CodeElementBuilder.hpp>

namespace richmarkup::build::json::code {

/// Builds a run of code text ("CodeTextNode"), optionally tagged with its token kind,
/// into a document::vxzero::CodeTextNode.
class CodeTextNodeBuilderImpl : public CodeElementBuilder {
public:
    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;
};

} // namespace richmarkup::build::json::code
