#pragma once

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <cppmicroservices/Framework.h>
#include <document/vxzero/Node.hpp>
#include <foundation/json/ElementStream.hpp>
#include <foundation/json/ReadAheadStream.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

#include <memory>
#include <string>
#include <vector>

namespace richmarkup::bench {

/// The least a host does: a started framework with the bundles, published to the bundles
/// through the framework access, and the host's way of building a document.
class BenchHost {
public:
    /// `readAhead`: whether a streamed document's elements may be converted on a second core.
    explicit BenchHost(std::vector<std::string> const& bundleFiles,
                       foundation::json::ReadAhead readAhead = foundation::json::ReadAhead::WherePays);
    ~BenchHost();
    BenchHost(BenchHost const&) = delete;
    BenchHost& operator=(BenchHost const&) = delete;

    /// Builds each top-level element (the elements of an array, or one object) with the first
    /// block builder in the framework's order that accepts it, and appends the node to
    /// `nodes`. Elements no builder accepts are skipped. Returns how many were skipped.
    std::size_t build(vx::zero::Model const& model, foundation::json::Value const& document,
                      std::vector<document::vxzero::Node>& nodes) const;

    /// As above, element by element from a stream: each is converted, built and let go.
    std::size_t build(vx::zero::Model const& model, foundation::json::ElementStream& document,
                      std::vector<document::vxzero::Node>& nodes) const;

    std::shared_ptr<cppmicroservices::Framework> const& framework() const noexcept { return framework_; }

private:
    std::vector<std::shared_ptr<richmarkup::build::json::NodeBuilder>> blockBuilders() const;
    std::shared_ptr<cppmicroservices::Framework> framework_;
    foundation::json::ReadAhead readAhead_;
};

/// The bundle files of the build tree, the code-element bundle first.
std::vector<std::string> builtBundles();

} // namespace richmarkup::bench
