#pragma once

#include <richmarkup/host/Diagnostic.hpp>

#include <document/vxzero/Node.hpp>
#include <vx/zero/Model.hpp>

#include <algorithm>
#include <memory>
#include <vector>

namespace richmarkup::host {

/// What DocumentHost::convert and ConversionPipeline::run give: the model the nodes live in, the
/// top-level nodes and every diagnostic, located in the text. After an error there are no nodes:
/// a document is converted whole or not at all.
struct Conversion {
    /// Declared first so that it ends after the nodes. Keep the Conversion (or this model)
    /// while any node of it is read.
    std::unique_ptr<vx::zero::Model> model;
    std::vector<document::vxzero::Node> nodes;
    /// Warnings (something left out, stored otherwise than written) and at most one error.
    std::vector<Diagnostic> diagnostics;

    /// Whether the document was converted: no diagnostic is an error.
    bool ok() const noexcept {
        return std::none_of(diagnostics.begin(), diagnostics.end(),
                            [](Diagnostic const& d) { return d.severity == Diagnostic::Severity::Error; });
    }
};

} // namespace richmarkup::host
