#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds a code example ("CodeExampleBlockNode"): its lines through the injected line
/// builder, then its anchor id and code example type.
class CodeExampleBlockBuilderImpl : public NodeBuilder {
public:
    explicit CodeExampleBlockBuilderImpl(std::shared_ptr<NodeBuilder> const& codeExampleLineBuilder);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<NodeBuilder> codeExampleLineBuilder;
};

} // namespace richmarkup::build::json::text
