#pragma once

#include <document/vxzero/Node.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

namespace richmarkup::build::json {

/// A builder of one kind of block element. Found as a service; a caller asks
/// `canBuild` first and calls `build` only when it answered true.
class NodeBuilder {
public:
    virtual ~NodeBuilder() = default;
    virtual bool canBuild(foundation::json::Value const& element) = 0;
    virtual document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const& element) = 0;
};

} // namespace richmarkup::build::json
