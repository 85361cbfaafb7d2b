#pragma once

#include <richmarkup/formats/WriterWarning.hpp>

#include <document/vxzero/Node.hpp>
#include <document/vxzero/NodeAccess.hpp>

#include <string>
#include <utility>

namespace richmarkup::formats {

/// Reports, at the node concerned, what a writer writes otherwise than the model holds it.
class NodeWarnings {
public:
    explicit NodeWarnings(WriterWarningHandler const& handler) : handler_(handler) {}

    bool enabled() const { return static_cast<bool>(handler_); }

    void report(document::vxzero::Node::Impl const& node, std::string message) const {
        if (handler_) {
            // A handle counts its node; the node itself is not changed.
            auto* impl = const_cast<document::vxzero::Node::Impl*>(&node);
            handler_(WriterWarning{document::vxzero::detail::NodeAccess::wrap<document::vxzero::Node>(impl),
                                   std::move(message)});
        }
    }

private:
    WriterWarningHandler const& handler_;
};

} // namespace richmarkup::formats
