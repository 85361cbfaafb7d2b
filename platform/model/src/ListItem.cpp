#include <document/vxzero/ListItem.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

ListItem::Impl::~Impl() = default;

ListItem ListItem::Builder::createListItem(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<ListItem>(model_, uuid);
}

} // namespace document::vxzero
