#include <document/vxzero/TableOfContentsContainer.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

TableOfContentsContainer::Impl::~Impl() = default;

TableOfContentsContainer
TableOfContentsContainer::Builder::createTableOfContentsContainer(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<TableOfContentsContainer>(model_, uuid);
}

} // namespace document::vxzero
