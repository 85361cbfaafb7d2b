#pragma once

#include <document/vxzero/NodeAccess.hpp>

namespace document::vxzero {

/// The node as a handle of kind K (or of a kind derived from K); a null handle when the
/// node is null or of another kind.
template <class K>
K nodeCast(Node const& node) noexcept {
    auto* impl = dynamic_cast<typename K::Impl*>(node.getImpl());
    return impl != nullptr ? detail::NodeAccess::wrap<K>(impl) : K();
}

} // namespace document::vxzero
