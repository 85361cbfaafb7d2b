#include "RichTextNodeBuilderImpl.hpp"

#include "ObjectCheck.hpp"
#include "RecordWriter.hpp"

#include <document/vxzero/RichTextNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <quillix/contentmodel/vxzero/Formatting.hpp>

#include <boost/uuid/nil_generator.hpp>
#include <iterator>
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

constexpr bool firstLettersDiffer() {
    for (std::size_t i = 0; i < std::size(formattingKeys); ++i) {
        for (std::size_t j = i + 1; j < std::size(formattingKeys); ++j) {
            if (formattingKeys[i].key[0] == formattingKeys[j].key[0]) {
                return false;
            }
        }
    }
    return true;
}
static_assert(firstLettersDiffer(), "formattingKeyOf tells the keys apart by their first letter");

// The formatting a member's key sets, if any: told apart by the first letter.
FormattingKey const* formattingKeyOf(std::string_view key) noexcept {
    for (FormattingKey const& f : formattingKeys) {
        if (!key.empty() && key[0] == f.key[0]) {
            return key == f.key ? &f : nullptr;
        }
    }
    return nullptr;
}

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
    // One pass over the run's few members rather than a look-up per formatting key; read
    // strictly. Members come sorted by key, as the keys above: a wrong one of two is found
    // in the same order either way.
    if (element.isObject()) {
        for (auto const& member : element.asObject()) {
            if (FormattingKey const* f = formattingKeyOf(member.first)) {
                (formatting.*f->set)(member.second.asBool());
            }
        }
    }
    node->setFormatting(formatting);
    return std::move(node);
}

} // namespace richmarkup::build::json::text
