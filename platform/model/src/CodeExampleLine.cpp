#include <document/vxzero/CodeExampleLine.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

CodeExampleLine::Impl::~Impl() = default;

CodeExampleLine CodeExampleLine::Builder::createCodeExampleLine(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<CodeExampleLine>(model_, uuid);
}

} // namespace document::vxzero
