#pragma once

#include <document/vxzero/Node.hpp>

#include <functional>
#include <string>

namespace richmarkup::formats {

/// Something a writer wrote otherwise than the model holds it, or left out; `node` is the
/// node concerned (the tool finds its place in the input from the node's path).
struct WriterWarning {
    document::vxzero::Node node;
    std::string message;
};

using WriterWarningHandler = std::function<void(WriterWarning const&)>;

} // namespace richmarkup::formats
