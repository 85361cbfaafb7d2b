#include <document/vxzero/TextNode.hpp>

namespace document::vxzero {

TextNode::Impl::~Impl() = default;

} // namespace document::vxzero
