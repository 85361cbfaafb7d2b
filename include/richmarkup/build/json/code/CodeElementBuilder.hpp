#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

namespace richmarkup::build::json::code {

/// A builder of one kind of code element inside a code example line.
/// Same shape as NodeBuilder: destructor, canBuild, build.
class CodeElementBuilder {
public:
    virtual ~CodeElementBuilder() = default;
    virtual bool canBuild(foundation::json::Value const& element) = 0;
    virtual document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json::code
