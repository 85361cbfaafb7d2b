#pragma once

#include <richmarkup/formats/WriterWarning.hpp>
#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/Diagnostic.hpp>
#include <richmarkup/host/DocumentHost.hpp>

#include <document/vxzero/Node.hpp>

#include <vector>

namespace richmarkup::python {

/// Places what a writer said of the nodes of a one-input conversion in that input, as the build's
/// own warnings are placed: the node's path among the nodes, then the element it was built from.
/// The input is parsed again only when there is something to place.
class WriterWarningLocator {
public:
    /// nodes: the top-level nodes of `input`'s run, all of its one text (or read document).
    WriterWarningLocator(std::vector<document::vxzero::Node> const& nodes, host::ConversionPipeline& input,
                         host::DocumentHost const& host)
        : nodes_(nodes), input_(input), host_(host) {}

    std::vector<host::Diagnostic> locate(std::vector<formats::WriterWarning> const& warnings,
                                         host::Diagnostic::Severity severity) const;

private:
    std::vector<document::vxzero::Node> const& nodes_;
    host::ConversionPipeline& input_;
    host::DocumentHost const& host_;
};

} // namespace richmarkup::python
