#include <document/vxzero/HyperlinkNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

HyperlinkNode::Impl::~Impl() = default;

HyperlinkNode HyperlinkNode::Builder::createHyperlinkNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<HyperlinkNode>(model_, uuid);
}

} // namespace document::vxzero
