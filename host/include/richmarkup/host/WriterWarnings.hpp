#pragma once

#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/Export.hpp>
#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>

#include <cstddef>
#include <functional>
#include <vector>

namespace richmarkup::host {

/// What the writers (HTML, Markdown, pandoc's AST) say of the nodes they write otherwise than the model
/// holds them, gathered while they write and then located in the inputs the nodes came from,
/// like the build's own warnings. Only an input with such a warning is parsed again.
class WriterWarnings {
public:
    /// nodes: the top-level nodes written, as `inputs` converted them (its texts are the inputs,
    /// in order).
    RICHMARKUP_HOST_EXPORT WriterWarnings(std::vector<document::vxzero::Node> const& nodes, ConversionPipeline& inputs,
                                          DocumentHost const& host);

    /// For the writer's Options::onWarning; keeps each warning for locate().
    RICHMARKUP_HOST_EXPORT formats::WriterWarningHandler handler();

    bool empty() const noexcept { return warnings_.empty(); }

    struct Located {
        std::size_t input;
        Diagnostic diagnostic;
    };
    /// The warnings gathered that `admit` lets through, asked in the writer's order with the
    /// input each concerns, located. Only those are located: a page with a million warnings
    /// shows a hundred, and finding a node's place costs a walk of its siblings.
    /// Empty `admit`: every one.
    RICHMARKUP_HOST_EXPORT std::vector<Located> locate(Diagnostic::Severity severity,
                                                       std::function<bool(std::size_t input)> const& admit = {}) const;

private:
    std::vector<document::vxzero::Node> const& nodes_;
    ConversionPipeline& inputs_;
    DocumentHost const& host_;
    std::vector<formats::WriterWarning> warnings_;
};

} // namespace richmarkup::host
