#pragma once

#include "OutputTarget.hpp"
#include "ToolOptions.hpp"

#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/WriterWarnings.hpp>

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace richmarkup::tool {

/// One document made of some inputs, written to one output: reads the inputs into the host's
/// ConversionPipeline (malformed JSON fails before anything is built), runs it, writes its nodes
/// in the chosen format and prints what it reported, each input's warnings up to its limit.
class DocumentConversion {
public:
    /// What --stats reports of a conversion.
    struct Counts {
        host::ConversionPipeline::Counts built;
        std::size_t elements = 0; // counted only with --stats
        double parseMs = 0;       // the inputs' reading included
        double buildMs = 0;
        double writeMs = 0;
    };
    using HostSource = std::function<host::DocumentHost const&()>;

    /// options: format, flags and the output as the command line gave them; inputs and output
    /// are given here. host: asked for once the inputs are parsed. err: diagnostics. With
    /// `keepModel` the model is never freed (for a process that ends right after).
    /// `links`: how the output treats a symbolic link in its place (see OutputTarget).
    DocumentConversion(ToolOptions const& options, HostSource host, std::ostream& out, std::ostream& err,
                       bool keepModel, OutputTarget::Links links = OutputTarget::Links::Follow);

    /// Exit status: 0 done, 1 a build failed (nothing written), 2 an input that is no document.
    int run(std::vector<std::string> const& inputs, std::optional<std::string> const& output);

    Counts const& counts() const noexcept { return counts_; }

private:
    // False when --strict found the writer's warnings and nothing was written.
    bool write(std::vector<document::vxzero::Node> const& nodes, std::vector<std::string> const& inputs,
               std::optional<std::string> const& output, host::WriterWarnings& warnings);

    ToolOptions const& options_;
    HostSource host_;
    std::ostream& out_;
    std::ostream& err_;
    bool keepModel_;
    OutputTarget::Links links_;
    Counts counts_;
    // What a writer run as another program (pandoc) said of the page.
    std::vector<std::string> programWarnings_;
};

/// "<stdin>" for "-", else the input as given.
std::string displayName(std::string const& input);
/// displayName as a message shows it: one line of printable text whatever bytes the name holds.
std::string printableName(std::string const& input);

} // namespace richmarkup::tool
