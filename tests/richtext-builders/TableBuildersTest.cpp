#include "RecordWriter.hpp"
#include "TableCellNodeBuilderImpl.hpp"
#include "TableNodeBuilderImpl.hpp"
#include "TableRowNodeBuilderImpl.hpp"

#include <document/vxzero/ModelJsonWriter.hpp>
#include <document/vxzero/RichTextParagraphNode.hpp>
#include <document/vxzero/TableNode.hpp>
#include <fl/i18n/ustring.hpp>
#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/Parser.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>
#include <richmarkup/shared/logging/Logger.hpp>
#include <richmarkup/test/ErrorOf.hpp>
#include <richmarkup/test/RecordCapture.hpp>

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <boost/uuid/nil_generator.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

using foundation::json::parse;
using richmarkup::build::json::NodeBuilder;
using richmarkup::build::json::text::RecordWriter;
using richmarkup::build::json::text::TableCellNodeBuilderImpl;
using richmarkup::build::json::text::TableNodeBuilderImpl;
using richmarkup::build::json::text::TableRowNodeBuilderImpl;
using richmarkup::test::errorOf;
using richmarkup::test::RecordCapture;
using Messages = std::vector<std::string>;

namespace {

// Stands in for a paragraph builder: accepts "RichTextParagraphNode" and stores its
// `mark` as the anchor id, so a test can tell which of two such builders built a node.
class ParagraphDouble : public NodeBuilder {
public:
    explicit ParagraphDouble(std::string mark) : mark_(std::move(mark)) {}
    bool canBuild(foundation::json::Value const& element) override {
        RecordWriter::write("Checking if can build RichTextParagraphNode");
        return richmarkup::build::json::core::has_className(element, "RichTextParagraphNode");
    }
    document::vxzero::Node build(vx::zero::Model const& model, foundation::json::Value const&) override {
        auto node = document::vxzero::RichTextParagraphNode::Builder(model).createRichTextParagraphNode(
            boost::uuids::nil_uuid());
        node->setAnchorId(fl::i18n::utf8_to_ustring(mark_));
        return std::move(node);
    }

private:
    std::string mark_;
};

std::string json(document::vxzero::Node const& node) {
    return document::vxzero::ModelJsonWriter::toString({node}, {false, 0});
}

// The framework holds the table, row and cell builders, wired as the runtime wires them,
// then a paragraph builder: the cell asks them in that order.
class TableBuilders : public ::testing::Test {
protected:
    void SetUp() override {
        framework_.Init();
        framework_.Start();
        foundation::cppmicroservices::setFramework(std::make_shared<cppmicroservices::Framework>(framework_));
        add(table_);
        add(row_);
        add(cell_);
        add(std::make_shared<ParagraphDouble>("first"));
    }
    void TearDown() override {
        foundation::cppmicroservices::setFramework({});
        framework_.Stop();
        framework_.WaitForStop(std::chrono::milliseconds(0));
    }
    void add(std::shared_ptr<NodeBuilder> const& builder) {
        framework_.GetBundleContext().RegisterService<NodeBuilder>(builder);
    }
    document::vxzero::Node buildTable(char const* text) {
        auto const element = parse(text);
        EXPECT_TRUE(table_->canBuild(element));
        return table_->build(model_, element);
    }

    cppmicroservices::Framework framework_ = cppmicroservices::FrameworkFactory().NewFramework();
    vx::zero::Model model_;
    std::shared_ptr<TableCellNodeBuilderImpl> cell_ = std::make_shared<TableCellNodeBuilderImpl>();
    std::shared_ptr<TableRowNodeBuilderImpl> row_ = std::make_shared<TableRowNodeBuilderImpl>(cell_);
    std::shared_ptr<TableNodeBuilderImpl> table_ = std::make_shared<TableNodeBuilderImpl>(row_);
};

constexpr char const* oneCellTable = R"({"className":"TableNode","id":"t1","children":[
    {"className":"TableRowNode","children":[
      {"className":"TableCellNode","children":[{"className":"RichTextParagraphNode","children":[]}]}]}]})";

} // namespace

TEST_F(TableBuilders, OneRowOneCellTableWithAParagraph) {
    RecordCapture capture;
    auto table = buildTable(oneCellTable);
    EXPECT_EQ(json(table), R"([{"kind":"TableNode","anchorId":"M_t1","tableNodeMetaData":{},"children":[)"
                           R"({"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[)"
                           R"({"kind":"RichTextParagraphNode","anchorId":"first","children":[]}]}]}]}])");
    EXPECT_EQ(capture.messages(), (Messages{
                                      "Checking if can build TableNode",
                                      "Building TableNode from JSON",
                                      "Setting data for TableNode",
                                      "Setting hasHeader Boolean from JSON",
                                      "Setting columnWidths Array from JSON",
                                      "Starting to build TableNode Children",
                                      "Building Table Row Node",
                                      "Checking if can build TableRowNode",
                                      "Building TableRowNode from JSON",
                                      "Starting to build TableRowNode Children",
                                      "Building Table Cell Node",
                                      "Checking if can build TableCellNode",
                                      "Building Table Cell Node",
                                      "Building text block into TableCellNode",
                                      "Checking if can build TableNode",
                                      "Checking if can build TableRowNode",
                                      "Checking if can build TableCellNode",
                                      "Checking if can build RichTextParagraphNode",
                                      "Found an applicable node builder",
                                      "Built a node of type document::vxzero::RichTextParagraphNode",
                                      "Setting anchorId on TableNode",
                                  }));
    EXPECT_EQ(capture.severities(), std::vector<int>(capture.messages().size(), 8));
}

TEST_F(TableBuilders, CanBuildMatchesTheExactClassNameOnly) {
    struct Case {
        NodeBuilder* builder;
        char const* className;
    } const cases[] = {{table_.get(), "TableNode"}, {row_.get(), "TableRowNode"}, {cell_.get(), "TableCellNode"}};
    for (Case const& c : cases) {
        std::string const name = c.className;
        RecordCapture capture;
        EXPECT_TRUE(c.builder->canBuild(parse(R"({"className":")" + name + "\"}")));
        EXPECT_FALSE(c.builder->canBuild(parse(R"({"className":")" + name + " \"}")));
        EXPECT_FALSE(c.builder->canBuild(parse(R"({"className":")" + name.substr(0, 5) + "\"}")));
        EXPECT_FALSE(c.builder->canBuild(parse(R"({"className":5})")));
        EXPECT_FALSE(c.builder->canBuild(parse("[\"" + name + "\"]")));
        EXPECT_EQ(capture.messages(), Messages(5, "Checking if can build " + name));
    }
}

TEST_F(TableBuilders, MetaDataFromHeaderFlagAndColumnWidths) {
    struct Case {
        char const* keys;
        char const* metaData;
    } const cases[] = {
        {"", "{}"},
        {R"("hasHeader":true,)", R"({"hasHeader":true})"},
        {R"("hasHeader":false,)", R"({"hasHeader":false})"},
        {R"("hasHeader":"true",)", "{}"},
        {R"("columnWidths":[100.7,-3.9,0.2],)", R"({"columnWidths":[100,-3,0]})"},
        {R"("columnWidths":[],)", R"({"columnWidths":[]})"},
        {R"("columnWidths":"100",)", "{}"},
        {R"("columnWidths":{"0":1},)", "{}"},
        {R"("hasHeader":true,"columnWidths":[2,1],)", R"({"hasHeader":true,"columnWidths":[2,1]})"},
    };
    for (Case const& c : cases) {
        std::string const text = std::string(R"({"className":"TableNode",)") + c.keys + R"("children":[]})";
        auto table = buildTable(text.c_str());
        EXPECT_EQ(json(table), std::string(R"([{"kind":"TableNode","anchorId":"","tableNodeMetaData":)") + c.metaData +
                                   R"(,"children":[]}])")
            << text;
    }
}

TEST_F(TableBuilders, WidthsBeyondTheIntegerRangeSaturate) {
    auto table = buildTable(R"({"className":"TableNode","columnWidths":[1e300,-1e300],"children":[]})");
    auto const& data = static_cast<document::vxzero::TableNode::Impl&>(*table.getImpl()).getTableNodeMetaData();
    ASSERT_TRUE(data && data->getColumnWidths());
    EXPECT_EQ(*data->getColumnWidths(),
              (std::vector<long long>{std::numeric_limits<long long>::max(), std::numeric_limits<long long>::min()}));
}

TEST_F(TableBuilders, AWidthThatIsNotANumberFailsTheWholeTable) {
    for (char const* width : {R"("2")", "true", "null", "[2]", "{}"}) {
        RecordCapture capture;
        std::string const text =
            std::string(R"({"className":"TableNode","columnWidths":[1,)") + width + R"(],"children":[]})";
        std::string const error = errorOf([&] { table_->build(model_, parse(text)); });
        EXPECT_EQ(error.rfind("invalid conversion: ", 0), 0u) << text << ": " << error;
        EXPECT_NE(error.find(" to double"), std::string::npos) << error;
        // The rows are never reached.
        EXPECT_EQ(capture.messages().back(), "Setting columnWidths Array from JSON");
    }
    EXPECT_EQ(errorOf([&] { table_->build(model_, parse(R"({"columnWidths":["2"],"children":[]})")); }),
              "invalid conversion: string to double");
}

TEST_F(TableBuilders, MissingOrMistypedChildrenThrow) {
    for (NodeBuilder* builder : std::vector<NodeBuilder*>{table_.get(), row_.get(), cell_.get()}) {
        EXPECT_EQ(errorOf([&] { builder->build(model_, parse("{}")); }), "invalid conversion: undefined to array");
        EXPECT_EQ(errorOf([&] { builder->build(model_, parse(R"({"children":{}})")); }),
                  "invalid conversion: object to array");
    }
}

TEST_F(TableBuilders, ErrorsInsideACellEndTheWholeTable) {
    std::string const error = errorOf([&] {
        buildTable(R"({"className":"TableNode","children":[{"className":"TableRowNode","children":[
            {"className":"TableCellNode","children":[{"className":"TableNode","children":"none"}]}]}]})");
    });
    EXPECT_EQ(error, "invalid conversion: string to array");
}

TEST_F(TableBuilders, EmptyTableIsStillFullyDescribed) {
    RecordCapture capture;
    auto table = buildTable(R"({"className":"TableNode","anchorId":"a","children":[]})");
    EXPECT_EQ(json(table), R"([{"kind":"TableNode","anchorId":"a","tableNodeMetaData":{},"children":[]}])");
    EXPECT_EQ(capture.messages(),
              (Messages{"Checking if can build TableNode", "Building TableNode from JSON", "Setting data for TableNode",
                        "Setting hasHeader Boolean from JSON", "Setting columnWidths Array from JSON",
                        "Starting to build TableNode Children", "Setting anchorId on TableNode"}));
}

TEST_F(TableBuilders, ChainedBuildersSkipWhatTheyRefuse) {
    {
        // A refused row is still announced and checked, and then nothing more.
        RecordCapture capture;
        buildTable(R"({"className":"TableNode","children":[{"className":"TableCellNode","children":[]}]})");
        Messages const m = capture.messages();
        ASSERT_EQ(m.size(), 9u);
        EXPECT_EQ(Messages(m.begin() + 6, m.end()),
                  (Messages{"Building Table Row Node", "Checking if can build TableRowNode",
                            "Setting anchorId on TableNode"}));
    }
    auto table = buildTable(R"({"className":"TableNode","children":[
        {"className":"TableCellNode","children":[]},
        {"className":"TableRowNode","children":[
          {"className":"RichTextParagraphNode","children":[]},
          {"className":"TableCellNode","children":[]},
          "cell"]},
        {"className":"TableRowNode","children":[]}]})");
    EXPECT_EQ(json(table), R"([{"kind":"TableNode","anchorId":"","tableNodeMetaData":{},"children":[)"
                           R"({"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[]}]},)"
                           R"({"kind":"TableRowNode","children":[]}]}])");
}

TEST_F(TableBuilders, CellsHoldNestedTables) {
    auto table = buildTable(R"({"className":"TableNode","children":[{"className":"TableRowNode","children":[
        {"className":"TableCellNode","children":[
          {"className":"TableNode","id":"inner","hasHeader":true,"children":[
            {"className":"TableRowNode","children":[{"className":"TableCellNode","children":[
              {"className":"RichTextParagraphNode","children":[]}]}]}]}]}]}]})");
    EXPECT_EQ(json(table),
              R"([{"kind":"TableNode","anchorId":"","tableNodeMetaData":{},"children":[)"
              R"({"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[)"
              R"({"kind":"TableNode","anchorId":"M_inner","tableNodeMetaData":{"hasHeader":true},"children":[)"
              R"({"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[)"
              R"({"kind":"RichTextParagraphNode","anchorId":"first","children":[]}]}]}]}]}]}]}])");
}

TEST_F(TableBuilders, CellsAcceptAnyRegisteredBlockKindAndDropTheRest) {
    RecordCapture capture;
    auto cell = cell_->build(model_, parse(R"({"className":"TableCellNode","children":[
        {"className":"RichTextNode","text":"inline runs have no block builder"},
        {"className":"TableRowNode","children":[]},
        {"className":"TableCellNode","children":[]},
        {"className":"RichTextParagraphNode","children":[]}]})"));
    EXPECT_EQ(json(cell), R"([{"kind":"TableCellNode","children":[{"kind":"TableRowNode","children":[]},)"
                          R"({"kind":"TableCellNode","children":[]},)"
                          R"({"kind":"RichTextParagraphNode","anchorId":"first","children":[]}]}])");
    // The inline run was offered to every candidate and dropped without a record of its own.
    Messages const m = capture.messages();
    ASSERT_GE(m.size(), 6u);
    EXPECT_EQ(Messages(m.begin(), m.begin() + 6),
              (Messages{"Building Table Cell Node", "Building text block into TableCellNode",
                        "Checking if can build TableNode", "Checking if can build TableRowNode",
                        "Checking if can build TableCellNode", "Checking if can build RichTextParagraphNode"}));
    EXPECT_EQ(m[6], "Checking if can build TableNode");
}

TEST_F(TableBuilders, FirstRegisteredAcceptorWinsAndLaterRegistrationsAreSeen) {
    auto const element = parse(R"({"className":"TableCellNode","children":[{"className":"RichTextParagraphNode"}]})");
    auto before = cell_->build(model_, element);
    add(std::make_shared<ParagraphDouble>("second"));
    auto after = cell_->build(model_, element);
    EXPECT_EQ(json(after), json(before));
    EXPECT_NE(json(after).find(R"("anchorId":"first")"), std::string::npos);

    // A block builder that comes first in the framework's order takes over at the next cell:
    // the candidates are looked up for every cell, never kept.
    cppmicroservices::ServiceProperties props;
    props["service.ranking"] = 10;
    framework_.GetBundleContext().RegisterService<NodeBuilder>(std::make_shared<ParagraphDouble>("ranked"), props);
    EXPECT_NE(json(cell_->build(model_, element)).find(R"("anchorId":"ranked")"), std::string::npos);
}

TEST_F(TableBuilders, NoFrameworkGivesEmptyCells) {
    foundation::cppmicroservices::setFramework({});
    RecordCapture capture;
    auto table = buildTable(oneCellTable);
    EXPECT_EQ(json(table), R"([{"kind":"TableNode","anchorId":"M_t1","tableNodeMetaData":{},"children":[)"
                           R"({"kind":"TableRowNode","children":[{"kind":"TableCellNode","children":[]}]}]}])");
    Messages const m = capture.messages();
    ASSERT_EQ(m.size(), 15u);
    EXPECT_EQ(m[13], "Building text block into TableCellNode");
    EXPECT_EQ(m[14], "Setting anchorId on TableNode");
}

TEST_F(TableBuilders, StoppedFrameworkFailsTheCell) {
    framework_.Stop();
    framework_.WaitForStop(std::chrono::milliseconds(0));
    EXPECT_EQ(errorOf([&] { buildTable(oneCellTable); }), "The bundle context is no longer valid");
}

TEST_F(TableBuilders, LevelEightOffGivesTheSameTablesAndNoRecords) {
    std::string const expected = json(buildTable(oneCellTable));
    vx::zero::Model quietModel;
    RecordCapture capture;
    richmarkup::shared::logging::getLogger().disable(8);
    auto const element = parse(oneCellTable);
    ASSERT_TRUE(table_->canBuild(element));
    auto table = table_->build(quietModel, element);
    EXPECT_TRUE(capture.messages().empty());
    EXPECT_EQ(quietModel.typeNameQueries(), 0u);
    EXPECT_EQ(json(table), expected);
}
