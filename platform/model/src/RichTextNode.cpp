#include <document/vxzero/RichTextNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

RichTextNode::Impl::~Impl() = default;

RichTextNode RichTextNode::Builder::createRichTextNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<RichTextNode>(model_, uuid);
}

} // namespace document::vxzero
