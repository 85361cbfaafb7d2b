#pragma once

#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/SourceText.hpp>
#include <richmarkup/host/WriterWarning.hpp>

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
    /// nodes: the top-level nodes written; firstNodeOfInput[i]: where input i's nodes start
    /// among them; texts: the inputs, in order.
    WriterWarnings(std::vector<document::vxzero::Node> const& nodes, std::vector<std::size_t> firstNodeOfInput,
                   std::vector<host::SourceText>& texts, host::DocumentHost const& host);

    /// For the writer's Options::onWarning; keeps each warning for locate().
    host::WriterWarningHandler handler();

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
    std::vector<std::size_t> firstNodeOfInput_;
    std::vector<host::SourceText>& texts_;
    host::DocumentHost const& host_;
    std::vector<host::WriterWarning> warnings_;
};

} // namespace richmarkup::tool
