#include "CodeTextNodeBuilderImpl.hpp"

#include "RecordWriter.hpp"

#include <document/vxzero/CodeTextNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <string>

namespace richmarkup::build::json::code {

bool CodeTextNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build CodeTextNode");
    static std::string const kindName("CodeTextNode");
    return core::has_className(element, kindName);
}

document::vxzero::Node CodeTextNodeBuilderImpl::build(vx::zero::Model const& model,
                                                      foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a CodeTextNode");
    document::vxzero::CodeTextNode node =
        document::vxzero::CodeTextNode::Builder(model).createCodeTextNode(boost::uuids::nil_uuid());

    std::string const& text = element["text"].asString();
    RecordWriter::write([&](auto& s) { s << "Setting code text to " << text; });
    node->setText(fl::i18n::utf8_to_ustring(text));

    // Any kind is kept as written: the renderer's highlighting scheme decides what it knows.
    if (element.hasOwnProperty("tokenKind")) {
        std::string const& tokenKind = element["tokenKind"].asString();
        RecordWriter::write([&](auto& s) { s << "Setting token kind to " << tokenKind; });
        node->setTokenKind(fl::i18n::utf8_to_ustring(tokenKind));
    }
    return std::move(node);
}

} // namespace richmarkup::build::json::code
