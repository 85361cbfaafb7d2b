#pragma once

#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <cstddef>
#include <functional>
#include <vector>

namespace richmarkup::tool {

/// What the HTML and Markdown writers say of the nodes they write otherwise than the model
/// holds them, gathered while they write and then located in the inputs the nodes came from,
/// like the build's own warnings. Only an input with such a warning is parsed again.
class WriterWarnings {
public:
    /// nodes: the top-level nodes written, as `inputs` converted them (its texts are the inputs,
    /// in order).
    WriterWarnings(std::vector<document::vxzero::Node> const& nodes, host::ConversionPipeline& inputs,
                   host::DocumentHost const& host);

    /// For the writer's Options::onWarning; keeps each warning for locate().
    formats::WriterWarningHandler handler();

    bool empty() const noexcept { return warnings_.empty(); }

    struct Located {
        std::size_t input;
        host::Diagnostic diagnostic;
    };
    /// The warnings gathered that `admit` lets through, asked in the writer's order with the
    /// input each concerns, located. Only those are located: a page with a million warnings
    /// shows a hundred, and finding a node's place costs a walk of its siblings.
    std::vector<Located> locate(host::Diagnostic::Severity severity,
                                std::function<bool(std::size_t input)> const& admit) const;

private:
    std::vector<document::vxzero::Node> const& nodes_;
    host::ConversionPipeline& inputs_;
    host::DocumentHost const& host_;
    std::vector<formats::WriterWarning> warnings_;
};

} // namespace richmarkup::tool
