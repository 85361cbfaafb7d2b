#include "CodeIndentNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/CodeTextNode.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <string>

namespace richmarkup::build::json::code {

bool CodeIndentNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build CodeIndentNode");
    static std::string const kindName("CodeIndentNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node CodeIndentNodeBuilderImpl::build(vx::zero::Model const& model,
                                                        foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a CodeIndentNode");
    document::vxzero::CodeTextNode node =
        document::vxzero::CodeTextNode::Builder(model).createCodeTextNode(boost::uuids::nil_uuid());

    double const width = element["width"].asDouble();
    // Checked before the text is made: a huge or fractional width is a broken element, and
    // must not turn into a huge allocation.
    if (!(width >= 0 && width <= maxWidth && std::floor(width) == width)) {
        std::ostringstream message;
        message << "CodeIndentNode width must be a whole number from 0 to " << maxWidth << ", not " << width;
        throw std::invalid_argument(message.str());
    }
    auto const spaces = static_cast<std::size_t>(width);
    RecordWriter::write([&](auto& s) { s << "Setting indentation to " << spaces << " spaces"; });
    node->setText(std::u16string(spaces, u' '));
    node->setTokenKind(u"whitespace");
    return std::move(node);
}

} // namespace richmarkup::build::json::code
