#pragma once

#include <richmarkup/build/json/text/TextBlockBuilder.hpp>
#include <richmarkup/build/json/text/TextElementBuilderServicesProvider.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Fills a block node with its inline children, each built by the first inline builder
/// the registry finds for it.
class TextBlockBuilderImpl : public TextBlockBuilder {
public:
    explicit TextBlockBuilderImpl(std::shared_ptr<TextElementBuilderServicesProvider> const& provider);

    void buildTextBlock(document::vxzero::Node& parent, vx::zero::Model const& model,
                        foundation::json::Value const& element) override;

private:
    std::shared_ptr<TextElementBuilderServicesProvider> textElementBuilderServicesProvider;
};

} // namespace richmarkup::build::json::text
