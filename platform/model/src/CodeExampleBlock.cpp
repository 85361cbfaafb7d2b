#include <document/vxzero/CodeExampleBlock.hpp>

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

CodeExampleBlock::Impl::~Impl() = default;

CodeExampleBlock CodeExampleBlock::Builder::createCodeExampleBlock(boost::uuids::uuid const& uuid) const {
    return detail::NodeAccess::create<CodeExampleBlock>(model_, uuid);
}

} // namespace document::vxzero
