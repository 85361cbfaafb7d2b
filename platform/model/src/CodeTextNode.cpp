#include <document/vxzero/CodeTextNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

CodeTextNode::Impl::~Impl() = default;

CodeTextNode CodeTextNode::Builder::createCodeTextNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<CodeTextNode>(model_, uuid);
}

} // namespace document::vxzero
