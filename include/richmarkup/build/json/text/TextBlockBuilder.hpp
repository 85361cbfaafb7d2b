#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

namespace richmarkup::build::json::text {

/// Fills a block node with the inline children listed in its element's "children".
class TextBlockBuilder {
public:
    virtual ~TextBlockBuilder() = default;
    virtual void buildTextBlock(document::vxzero::Node& parent, vx::zero::Model const& model,
                                foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json::text
