#include <document/vxzero/ImageNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

ImageNode::Impl::~Impl() = default;

ImageNode ImageNode::Builder::createImageNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<ImageNode>(model_, uuid);
}

} // namespace document::vxzero
