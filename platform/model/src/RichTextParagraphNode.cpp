#include <document/vxzero/RichTextParagraphNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

RichTextParagraphNode::Impl::~Impl() = default;

RichTextParagraphNode
RichTextParagraphNode::Builder::createRichTextParagraphNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<RichTextParagraphNode>(model_, uuid);
}

} // namespace document::vxzero
