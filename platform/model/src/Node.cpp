#include <document/vxzero/Node.hpp>

#include <string_view>
#include <vector>

namespace document::vxzero {
namespace {

std::vector<vx::zero::meta::Type> makeTypes() {
    std::vector<vx::zero::meta::Type> types;
    types.reserve(nodeKindCount);
    for (int i = 0; i < nodeKindCount; ++i) {
        std::string_view const kind = kindName(static_cast<NodeKind>(i));
        std::u16string name = u"document::vxzero::";
        name.append(kind.begin(), kind.end()); // kind names are ASCII
        types.emplace_back(name);
    }
    return types;
}

} // namespace

vx::zero::meta::Type const& typeOf(NodeKind kind) noexcept {
    static std::vector<vx::zero::meta::Type> const types = makeTypes();
    return types[static_cast<std::size_t>(kind)];
}

Node::Impl::~Impl() = default;

std::optional<std::u16string>& Node::Impl::anchorSlot() {
    if (anchorId_ == nullptr) {
        anchorId_ = std::make_unique<std::optional<std::u16string>>();
    }
    return *anchorId_;
}

std::optional<std::u16string> const& Node::Impl::noAnchorId() noexcept {
    static std::optional<std::u16string> const none;
    return none;
}

std::u16string Node::Impl::getTypeName() const {
    getModel().noteTypeNameQuery();
    return getType().getImpl()->getQualifiedName();
}

vx::zero::meta::Type const& Node::Impl::getType() const noexcept { return typeOf(getKind()); }

} // namespace document::vxzero
