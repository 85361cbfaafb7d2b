#include <document/vxzero/Document.hpp>

#include <boost/uuid/nil_generator.hpp>
#include <boost/uuid/string_generator.hpp>

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace document::vxzero;
using vx::zero::Model;

boost::uuids::uuid const nil = boost::uuids::nil_uuid();

std::u16string numberText(std::size_t number) {
    std::string const digits = std::to_string(number);
    return std::u16string(digits.begin(), digits.end());
}

TEST(ModelOwnership, EveryCreateGivesANewNodeOfThatModel) {
    Model model;
    RichTextNode::Builder builder(model);
    auto const first = builder.createRichTextNode(nil);
    auto const second = builder.createRichTextNode(nil);
    EXPECT_NE(first, second);
    EXPECT_EQ(&first->getModel(), &model);
    EXPECT_EQ(first->getUuid(), nil);
    EXPECT_EQ(model.nodeCount(), 2u);

    auto const id = boost::uuids::string_generator()("0123abcd-0000-4000-8000-00000000ffff");
    EXPECT_EQ(TableNode::Builder(model).createTableNode(id)->getUuid(), id);
}

TEST(ModelOwnership, HandlesCountButTheModelOwns) {
    Model model;
    Node kept;
    {
        auto const run = RichTextNode::Builder(model).createRichTextNode(nil);
        run->setText(u"still here");
        EXPECT_EQ(run.useCount(), 1u);
        kept = run;
        EXPECT_EQ(run.useCount(), 2u);
        Node moved(std::move(kept));
        EXPECT_FALSE(kept);
        kept = moved;
    }
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept.useCount(), 1u);
    EXPECT_EQ(*nodeCast<RichTextNode>(kept)->getText(), u"still here");
    EXPECT_EQ(Node().useCount(), 0u);
}

// A build that fails halfway leaves its nodes to the model; the sanitizer build proves that
// nothing leaks and the model's end touches no ended node, whatever refers to what.
TEST(ModelOwnership, ABuildThatThrowsHalfwayLeavesAllToTheModel) {
    Model model;
    auto build = [&] {
        auto const table = TableNode::Builder(model).createTableNode(nil);
        for (int row = 0; row < 50; ++row) {
            auto const rowNode = TableRowNode::Builder(model).createTableRowNode(nil);
            auto const cell = TableCellNode::Builder(model).createTableCellNode(nil);
            auto const text = RichTextParagraphNode::Builder(model).createRichTextParagraphNode(nil);
            text->setAnchorId(std::u16string(100, u'x')); // heap-held, so a leak would show
            cell->getChildrenMutable().add(text);
            rowNode->getChildrenMutable().add(cell);
            table->getChildrenMutable().add(rowNode);
        }
        throw std::runtime_error("the element was broken");
    };
    EXPECT_THROW(build(), std::runtime_error);
    EXPECT_EQ(model.nodeCount(), 1u + 50u * 3u);
}

TEST(ModelOwnership, EndsNodesWhereverTheyWereMovedAndHowDeepTheyNest) {
    auto model = std::make_unique<Model>();
    // Children created before their parents, moved between parents, and a long chain.
    auto const late = ListItem::Builder(*model).createListItem(nil);
    auto parentA = ListContainer::Builder(*model).createListContainer(nil);
    auto const parentB = ListContainer::Builder(*model).createListContainer(nil);
    parentA->getChildrenMutable().add(late);
    parentB->getChildrenMutable().add(late);
    Node top = TableCellNode::Builder(*model).createTableCellNode(nil);
    Node current = top;
    for (int depth = 0; depth < 20000; ++depth) {
        Node next = TableCellNode::Builder(*model).createTableCellNode(nil);
        current->getChildrenMutable().add(next);
        current = next;
    }
    top = Node();
    current = Node();
    EXPECT_EQ(model->nodeCount(), 3u + 20001u);
    model.reset(); // must neither recurse 20000 deep nor reach ended nodes

    // Handles that outlive their model may still be copied, compared and dropped.
    EXPECT_EQ(late.useCount(), 1u) << "the ended parent let go of its child";
    EXPECT_EQ(late->getParent(), nullptr) << "nor may the child point at its ended parent";
    Node copy = parentA;
    EXPECT_EQ(copy, parentA);
    EXPECT_EQ(parentA.useCount(), 2u);
    parentA = ListContainer();
    copy = Node();
}

TEST(ModelOwnership, ManyNodesOfEveryKind) {
    Model model;
    std::vector<Node> nodes;
    for (int i = 0; i < 2000; ++i) {
        nodes.push_back(RichTextNode::Builder(model).createRichTextNode(nil));
        nodes.push_back(ImageNode::Builder(model).createImageNode(nil));
        nodes.push_back(EquationNode::Builder(model).createEquationNode(nil));
        nodes.push_back(HeadingNode::Builder(model).createHeadingNode(nil));
        nodes.push_back(CodeExampleBlock::Builder(model).createCodeExampleBlock(nil));
    }
    EXPECT_EQ(model.nodeCount(), nodes.size());
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        nodes[i]->setAnchorId(numberText(i));
    }
    for (std::size_t i = 0; i < nodes.size(); i += 997) {
        EXPECT_EQ(*nodes[i]->getAnchorId(), numberText(i)) << "nodes must not overlap";
    }
}

// A reader ahead of a long build maps the model's next block from its own thread while nodes
// are made and filled in the blocks before it: nothing written may change.
TEST(ModelOwnership, WarmingAheadFromAnotherThreadChangesNoNode) {
    Model model;
    std::atomic<bool> done{false};
    std::thread warmer([&] {
        while (!done.load()) {
            model.warmAhead();
        }
    });
    std::vector<RichTextNode> runs;
    for (std::size_t i = 0; i < 60000; ++i) { // several of the largest blocks
        runs.push_back(RichTextNode::Builder(model).createRichTextNode(nil));
        runs.back()->setText(numberText(i));
    }
    done = true;
    warmer.join();
    model.warmAhead();
    for (std::size_t i = 0; i < runs.size(); ++i) {
        ASSERT_EQ(*runs[i]->getText(), numberText(i));
    }
}

TEST(ModelTypeNames, AreQualifiedAndCounted) {
    Model model;
    auto const cell = TableCellNode::Builder(model).createTableCellNode(nil);
    auto const heading = HeadingNode::Builder(model).createHeadingNode(nil);
    EXPECT_EQ(model.typeNameQueries(), 0u);
    EXPECT_EQ(cell->getTypeName(), u"document::vxzero::TableCellNode");
    EXPECT_EQ(heading->getTypeName(), u"document::vxzero::HeadingNode");
    EXPECT_EQ(model.typeNameQueries(), 2u);
    EXPECT_EQ(heading->getType().getImpl()->getQualifiedName(), u"document::vxzero::HeadingNode");
    EXPECT_EQ(model.typeNameQueries(), 2u) << "only getTypeName counts";

    for (int i = 0; i < nodeKindCount; ++i) {
        auto const kind = static_cast<NodeKind>(i);
        std::string const name = kindName(kind);
        std::u16string const qualified = typeOf(kind).getImpl()->getQualifiedName();
        EXPECT_EQ(qualified, u"document::vxzero::" + std::u16string(name.begin(), name.end()));
    }
}

} // namespace
