#pragma once

// Makes model nodes by hand, so the writers can be tested without any builder.
#include <document/vxzero/Document.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <initializer_list>
#include <string>

namespace richmarkup::formats::test {

namespace dv = document::vxzero;
namespace cm = quillix::contentmodel::vxzero;

class NodeMaker {
public:
    explicit NodeMaker(vx::zero::Model const& model) : model_(model) {}

    dv::RichTextNode run(std::u16string const& text) const {
        auto node = dv::RichTextNode::Builder(model_).createRichTextNode(boost::uuids::nil_uuid());
        node->setText(text);
        return node;
    }
    dv::RichTextNode run(std::u16string const& text, cm::Formatting const& formatting) const {
        auto node = run(text);
        node->setFormatting(formatting);
        return node;
    }
    dv::CodeTextNode code(std::u16string const& text, std::u16string const& tokenKind = {}) const {
        auto node = dv::CodeTextNode::Builder(model_).createCodeTextNode(boost::uuids::nil_uuid());
        node->setText(text);
        if (!tokenKind.empty()) {
            node->setTokenKind(tokenKind);
        }
        return node;
    }
    dv::RichTextParagraphNode paragraph(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::RichTextParagraphNode::Builder(model_).createRichTextParagraphNode(nil()), children);
    }
    dv::HeadingNode heading(unsigned char level, std::initializer_list<dv::Node> children = {}) const {
        auto node = fill(dv::HeadingNode::Builder(model_).createHeadingNode(nil()), children);
        node->setLevel(level);
        return node;
    }
    dv::HyperlinkNode link(std::u16string const& target, std::initializer_list<dv::Node> children = {}) const {
        auto node = fill(dv::HyperlinkNode::Builder(model_).createHyperlinkNode(nil()), children);
        node->setTarget(target);
        return node;
    }
    dv::ImageNode image() const { return dv::ImageNode::Builder(model_).createImageNode(nil()); }
    dv::EquationNode equation(std::u16string const& tex) const {
        auto node = dv::EquationNode::Builder(model_).createEquationNode(nil());
        node->setTexString(tex);
        return node;
    }
    dv::ListContainer list(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::ListContainer::Builder(model_).createListContainer(nil()), children);
    }
    dv::ListItem item(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::ListItem::Builder(model_).createListItem(nil()), children);
    }
    dv::TableNode table(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::TableNode::Builder(model_).createTableNode(nil()), children);
    }
    dv::TableRowNode row(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::TableRowNode::Builder(model_).createTableRowNode(nil()), children);
    }
    dv::TableCellNode cell(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::TableCellNode::Builder(model_).createTableCellNode(nil()), children);
    }
    dv::CodeExampleBlock codeBlock(std::u16string const& type, std::initializer_list<dv::Node> children = {}) const {
        auto node = fill(dv::CodeExampleBlock::Builder(model_).createCodeExampleBlock(nil()), children);
        node->setCodeExampleType(type);
        return node;
    }
    dv::CodeExampleLine codeLine(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::CodeExampleLine::Builder(model_).createCodeExampleLine(nil()), children);
    }
    dv::TableOfContentsContainer toc(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::TableOfContentsContainer::Builder(model_).createTableOfContentsContainer(nil()), children);
    }
    dv::TableOfContentsHeadingNode tocEntry(std::initializer_list<dv::Node> children = {}) const {
        return fill(dv::TableOfContentsHeadingNode::Builder(model_).createTableOfContentsHeadingNode(nil()), children);
    }

private:
    static boost::uuids::uuid nil() { return boost::uuids::nil_uuid(); }

    template <class K>
    static K fill(K node, std::initializer_list<dv::Node> children) {
        for (auto const& child : children) {
            node->getChildrenMutable().add(child);
        }
        return node;
    }

    vx::zero::Model const& model_;
};

} // namespace richmarkup::formats::test
