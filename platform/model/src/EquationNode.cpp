#include <document/vxzero/EquationNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

EquationNode::Impl::~Impl() = default;

EquationNode EquationNode::Builder::createEquationNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<EquationNode>(model_, uuid);
}

} // namespace document::vxzero
