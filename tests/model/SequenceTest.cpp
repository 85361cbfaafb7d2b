#include <document/vxzero/Document.hpp>
#include <vx/zero/Exception.hpp>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace document::vxzero;
using vx::zero::Model;

boost::uuids::uuid const nil = boost::uuids::nil_uuid();

RichTextNode run(Model const& model) { return RichTextNode::Builder(model).createRichTextNode(nil); }
RichTextParagraphNode paragraph(Model const& model) {
    return RichTextParagraphNode::Builder(model).createRichTextParagraphNode(nil);
}

std::vector<Node> childrenOf(Node const& node) {
    auto const& children = node->getChildren();
    return std::vector<Node>(children.begin(), children.end());
}

TEST(Sequence, KeepsOrderIgnoresNullAndSkipsWhatItHolds) {
    Model model;
    auto const parent = paragraph(model);
    auto const a = run(model);
    auto const b = run(model);
    auto& children = parent->getChildrenMutable();

    children.add(a);
    children.add(Node());
    children.add(b);
    children.add(a); // already held: stays where it was

    EXPECT_EQ(children.size(), 2u);
    EXPECT_EQ(childrenOf(parent), (std::vector<Node>{a, b}));
    EXPECT_EQ(a->getParent(), parent.getImpl());
    EXPECT_EQ(children.at(1), b);
    EXPECT_THROW(children.at(2), std::out_of_range);
}

TEST(Sequence, AddingANodeHeldElsewhereMovesIt) {
    Model model;
    auto const first = paragraph(model);
    auto const second = paragraph(model);
    auto const a = run(model);
    auto const b = run(model);
    first->getChildrenMutable().add(a);
    first->getChildrenMutable().add(b);

    second->getChildrenMutable().add(a);

    EXPECT_EQ(childrenOf(first), (std::vector<Node>{b}));
    EXPECT_EQ(childrenOf(second), (std::vector<Node>{a}));
    EXPECT_EQ(a->getParent(), second.getImpl());
    EXPECT_EQ(a.useCount(), 2u) << "the old sequence must let go of its handle";
}

TEST(Sequence, RefusesNodesThatCannotBeChildren) {
    Model model;
    auto const outer = ListContainer::Builder(model).createListContainer(nil);
    auto const inner = ListItem::Builder(model).createListItem(nil);
    outer->getChildrenMutable().add(inner);
    auto const leaf = run(model);

    auto expectRefused = [](auto&& add, char const* id, char const* argument) {
        try {
            add();
            FAIL() << "expected " << id;
        } catch (vx::zero::Exception const& error) {
            EXPECT_EQ(error.messageId(), id);
            EXPECT_EQ(error.catalog(), "vx0:messages");
            EXPECT_EQ(error.arguments(), std::vector<std::string>{argument});
        }
    };
    expectRefused([&] { outer->getChildrenMutable().add(outer); }, "CannotContainItself",
                  "document::vxzero::ListContainer");
    expectRefused([&] { inner->getChildrenMutable().add(outer); }, "CannotContainItself",
                  "document::vxzero::ListContainer");
    expectRefused([&] { leaf->getChildrenMutable().add(run(model)); }, "ElementHoldsNoChildren",
                  "document::vxzero::RichTextNode");

    EXPECT_EQ(childrenOf(outer), (std::vector<Node>{inner}));
    EXPECT_TRUE(inner->getChildren().empty());
    EXPECT_EQ(outer->getParent(), nullptr);
}

TEST(Sequence, NodeOfAnotherModelIsRefusedWithItsTypeName) {
    Model model;
    Model other;
    auto const parent = paragraph(model);
    auto const stranger = HyperlinkNode::Builder(other).createHyperlinkNode(nil);
    try {
        parent->getChildrenMutable().add(stranger);
        FAIL() << "expected an exception";
    } catch (vx::zero::Exception const& error) {
        EXPECT_EQ(error.catalog(), "vx0:messages");
        EXPECT_EQ(error.messageId(), "CannotCastIncompatibleTypes");
        EXPECT_EQ(error.arguments(), std::vector<std::string>{"document::vxzero::HyperlinkNode"});
        EXPECT_STREQ(error.what(), "vx0:messages/CannotCastIncompatibleTypes: cannot cast "
                                   "document::vxzero::HyperlinkNode to an element of this model");
    }
    EXPECT_TRUE(parent->getChildren().empty());
    EXPECT_EQ(stranger->getParent(), nullptr);
}

TEST(SequenceOperation, AppliesEverythingAtCommitOrNothing) {
    Model model;
    Model other;
    auto const parent = paragraph(model);
    auto const elsewhere = paragraph(model);
    auto const a = run(model);
    auto const b = run(model);
    elsewhere->getChildrenMutable().add(b);
    using Operation = vx::zero::ElementSequence<Node>::Operation;

    {
        Operation abandoned(parent->getChildrenMutable());
        abandoned.add(a);
    }
    EXPECT_TRUE(parent->getChildren().empty()) << "no commit, no change";

    {
        Operation refused(parent->getChildrenMutable());
        refused.add(a);
        refused.add(b);
        refused.add(run(other));
        EXPECT_THROW(refused.commit(), vx::zero::Exception);
    }
    EXPECT_TRUE(parent->getChildren().empty());
    EXPECT_EQ(childrenOf(elsewhere), (std::vector<Node>{b})) << "a refused commit moves nothing";

    Operation operation(parent->getChildrenMutable());
    operation.add(a);
    operation.add(b);
    operation.add(a);
    EXPECT_TRUE(parent->getChildren().empty()) << "staged, not applied";
    operation.commit();
    EXPECT_TRUE(operation.isCommitted());
    EXPECT_EQ(childrenOf(parent), (std::vector<Node>{a, b}));
    EXPECT_TRUE(elsewhere->getChildren().empty());
    EXPECT_THROW(operation.add(run(model)), vx::zero::Exception);
    EXPECT_THROW(operation.commit(), vx::zero::Exception);
}

TEST(Sequence, ManyChildrenStayInOrder) {
    Model model;
    auto const parent = TableCellNode::Builder(model).createTableCellNode(nil);
    std::vector<Node> added;
    for (int i = 0; i < 5000; ++i) {
        added.push_back(run(model));
        parent->getChildrenMutable().add(added.back());
    }
    EXPECT_EQ(childrenOf(parent), added);
}

} // namespace
