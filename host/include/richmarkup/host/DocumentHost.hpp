#pragma once

#include <richmarkup/host/BuildResult.hpp>
#include <richmarkup/host/Conversion.hpp>
#include <richmarkup/host/ConversionOptions.hpp>
#include <richmarkup/host/DocumentBuild.hpp>
#include <richmarkup/host/Export.hpp>
#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/BuilderInfo.hpp>
#include <richmarkup/host/HostOptions.hpp>

#include <foundation/json/ElementStream.hpp>
#include <foundation/json/Value.hpp>
#include <vx/zero/Model.hpp>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace richmarkup::host {

/// A running framework with the richtext bundle (and, unless told otherwise, the code-element
/// bundle) started, published through foundation::cppmicroservices::getFramework() while the
/// host lives. The destructor clears that and stops the framework.
///
/// Only one host should live at a time in a process: the published framework is process-wide.
/// Its const calls may run on several threads at once, each building into a model of its own.
class DocumentHost {
public:
    using WarningHandler = DocumentBuild::WarningHandler;
    using ElementHandler = std::function<void(foundation::json::Value const&)>;

    /// Throws HostError when a bundle is missing or fails to install or start.
    RICHMARKUP_HOST_EXPORT explicit DocumentHost(HostOptions options = {});
    RICHMARKUP_HOST_EXPORT ~DocumentHost();
    DocumentHost(DocumentHost const&) = delete;
    DocumentHost& operator=(DocumentHost const&) = delete;

    /// Converts JSON text in one call: parses it, builds it into a model of its own and locates
    /// every diagnostic in the text, naming the input `name`. Malformed JSON, a document of the
    /// wrong shape and a builder's error come back as an error diagnostic and no nodes, not as
    /// exceptions. The text may go once this returns.
    /// `firstLine`: the line of the input the text starts on, for a document that is one line of
    /// a larger file (JSON Lines); every line a diagnostic gives counts from it.
    RICHMARKUP_HOST_EXPORT Conversion convert(std::string_view json, std::string name = "<string>",
                                              std::size_t firstLine = 1) const;
    /// As above, with what the conversion makes of its warnings (WarningPolicy: --strict and
    /// --quiet) and who hears them. Several texts into one model: ConversionPipeline.
    RICHMARKUP_HOST_EXPORT Conversion convert(std::string_view json, std::string name, std::size_t firstLine,
                                              ConversionOptions const& options) const;

    /// Builds a document (one block element, or an array of them) into `model`. Each top-level
    /// element goes to the first NodeBuilder service, in the framework's order, that accepts it;
    /// an element none accepts is skipped with a warning, which `onWarning` hears at once (the
    /// result then keeps none of them: see BuildResult::warnings).
    /// Throws ElementBuildError when a builder throws, std::invalid_argument when the document
    /// is neither an object nor an array.
    RICHMARKUP_HOST_EXPORT BuildResult build(vx::zero::Model const& model, foundation::json::Value const& document,
                                             WarningHandler const& onWarning = {}) const;
    /// As above for a streamed document: each element is converted, built and let go before
    /// the next, so its Values never exist all at once. `onElement` sees each element just
    /// before it is built.
    RICHMARKUP_HOST_EXPORT BuildResult build(vx::zero::Model const& model, foundation::json::ElementStream& document,
                                             WarningHandler const& onWarning = {},
                                             ElementHandler const& onElement = {}) const;
    /// A build to feed element by element, with a snapshot of the block builders registered now.
    RICHMARKUP_HOST_EXPORT DocumentBuild begin(vx::zero::Model const& model, WarningHandler onWarning = {}) const;

    /// The kinds of element ("HeadingNode", "TableNode", ...) that the NodeBuilder services
    /// registered now take, as each answered when the host started: what a document may hold at
    /// its top and a table cell among its children.
    RICHMARKUP_HOST_EXPORT std::set<std::string> blockKinds() const;

    /// The NodeBuilder services, then the TextElementBuilder services, each in the framework's order.
    RICHMARKUP_HOST_EXPORT std::vector<BuilderInfo> listBuilders() const;

    /// The bundle files the host installed, in the order it installed them.
    RICHMARKUP_HOST_EXPORT std::vector<std::string> const& installedBundles() const noexcept;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::host
