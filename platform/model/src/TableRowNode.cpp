#include <document/vxzero/TableRowNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

TableRowNode::Impl::~Impl() = default;

TableRowNode TableRowNode::Builder::createTableRowNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<TableRowNode>(model_, uuid);
}

} // namespace document::vxzero
