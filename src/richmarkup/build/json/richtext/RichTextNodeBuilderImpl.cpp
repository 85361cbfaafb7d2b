#include "RichTextNodeBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/RichTextNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <quillix/contentmodel/vxzero/Formatting.hpp>

#include <boost/uuid/nil_generator.hpp>
#include <string_view>

namespace richmarkup::build::json::text {

namespace {

using quillix::contentmodel::vxzero::Formatting;

struct FormattingKey {
    std::string_view key;
    Formatting& (Formatting::*set)(bool);
};

constexpr FormattingKey formattingKeys[] = {
    {"bold", &Formatting::setBold},
    {"italic", &Formatting::setItalic},
    {"monospace", &Formatting::setMonospace},
    {"underline", &Formatting::setUnderline},
};

} // namespace

bool RichTextNodeBuilderImpl::canBuild(foundation::json::Value const& element) {
    RecordWriter::write("Checking if can build RichTextNode");
    return isObjectOfClass(element, "RichTextNode");
}

document::vxzero::Node RichTextNodeBuilderImpl::build(vx::zero::Model const& model,
                                                      foundation::json::Value const& element) {
    RecordWriter::write("Starting to build a RichTextNode");
    document::vxzero::RichTextNode node =
        document::vxzero::RichTextNode::Builder(model).createRichTextNode(boost::uuids::nil_uuid());

    std::string const& text = element["text"].asString();
    RecordWriter::write([&](auto& s) { s << "Setting node text to " << text; });
    node->setText(fl::i18n::utf8_to_ustring(text));

    Formatting formatting;
    // Each key looked up once: present as an own member, then read strictly.
    if (element.isObject()) {
        foundation::json::Object const& object = element.asObject();
        for (FormattingKey const& f : formattingKeys) {
            if (foundation::json::Value const* value = object.get(f.key)) {
                (formatting.*f.set)(value->asBool());
            }
        }
    }
    node->setFormatting(formatting);
    return std::move(node);
}

} // namespace richmarkup::build::json::text
