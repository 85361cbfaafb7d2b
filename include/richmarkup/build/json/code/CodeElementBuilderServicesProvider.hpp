#pragma once

#include <richmarkup/build/json/code/CodeElementBuilder.hpp>

#include <foundation/json/Value.hpp>

#include <memory>

namespace richmarkup::build::json::code {

/// Picks the code-element builder for an element among every registered CodeElementBuilder.
class CodeElementBuilderServicesProvider {
public:
    virtual ~CodeElementBuilderServicesProvider() = default;
    virtual std::shared_ptr<CodeElementBuilder> findApplicableBuilder(foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json::code
