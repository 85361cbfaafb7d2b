#pragma once

#include <richmarkup/host/BuildWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <vector>

namespace richmarkup::host {

/// What a build gives: the top-level nodes in document order, and what was left out.
struct BuildResult {
    std::vector<document::vxzero::Node> nodes;
    /// The warnings of a build without a warning handler; a handler hears each one instead, and
    /// then none is kept here.
    std::vector<BuildWarning> warnings;
};

} // namespace richmarkup::host
