#pragma once

#include <document/vxzero/Node.hpp>

namespace document::vxzero::detail {

/// The one way to make a typed handle: by creating its node in a model, or by viewing a node
/// that is known to be of the handle's kind.
struct NodeAccess {
    template <class Handle>
    static Handle create(vx::zero::Model const& model, boost::uuids::uuid const& uuid) {
        return Handle(&model.create<typename Handle::Impl>(uuid));
    }

    template <class Handle>
    static Handle wrap(typename Handle::Impl* impl) noexcept {
        return Handle(impl);
    }
};

} // namespace document::vxzero::detail
