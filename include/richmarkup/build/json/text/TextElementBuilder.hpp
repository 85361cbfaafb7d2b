#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

namespace richmarkup::build::json::text {

/// A builder of one kind of inline element (a run, a link, an image, an equation).
/// Deliberately not a NodeBuilder: inline builders are reached through the registry.
class TextElementBuilder {
public:
    virtual ~TextElementBuilder() = default;
    virtual bool canBuild(foundation::json::Value const& element) = 0;
    virtual document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json::text
