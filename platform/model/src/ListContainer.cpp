#include <document/vxzero/ListContainer.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

ListContainer::Impl::~Impl() = default;

ListContainer ListContainer::Builder::createListContainer(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<ListContainer>(model_, uuid);
}

} // namespace document::vxzero
