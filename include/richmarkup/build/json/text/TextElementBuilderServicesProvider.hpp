#pragma once

#include <richmarkup/build/json/text/TextElementBuilder.hpp>

#include <foundation/json/Value.hpp>

#include <memory>

namespace richmarkup::build::json::text {

/// Picks the inline builder for an element among every registered TextElementBuilder.
class TextElementBuilderServicesProvider {
public:
    virtual ~TextElementBuilderServicesProvider() = default;
    /// The first registered builder that accepts the element; empty when none does.
    virtual std::shared_ptr<TextElementBuilder> findApplicableBuilder(foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json::text
