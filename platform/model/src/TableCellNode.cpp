#include <document/vxzero/TableCellNode.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

TableCellNode::Impl::~Impl() = default;

TableCellNode TableCellNode::Builder::createTableCellNode(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<TableCellNode>(model_, uuid);
}

} // namespace document::vxzero
