#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/code/CodeElementBuilderServicesProvider.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Builds one line of a code example ("CodeExampleLineNode"); each of its code elements is
/// built by the builder that the code element registry finds for it.
class CodeExampleLineBuilderImpl : public NodeBuilder {
public:
    explicit CodeExampleLineBuilderImpl(
        std::shared_ptr<code::CodeElementBuilderServicesProvider> const& codeElementBuilderServicesProvider);

    bool canBuild(foundation::json::Value const& element) override;
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) override;

private:
    std::shared_ptr<code::CodeElementBuilderServicesProvider> codeElementBuilderServicesProvider;
};

} // namespace richmarkup::build::json::text
