#include <document/vxzero/HeadingNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

HeadingNode::Impl::~Impl() = default;

HeadingNode HeadingNode::Builder::createHeadingNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<HeadingNode>(model_, uuid);
}

} // namespace document::vxzero
