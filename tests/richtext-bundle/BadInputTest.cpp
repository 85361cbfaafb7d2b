// Hostile elements through the started bundles: every key of every kind given every wrong
// JSON kind, invalid UTF-8, huge and deep input. Each build either finishes or throws a
// std::exception with a message; none crashes, and the builders go on working afterwards.
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/test/RunningFramework.hpp>

#include <foundation/json/Object.hpp>
#include <foundation/json/Parser.hpp>
#include <vx/zero/Model.hpp>

#include <gtest/gtest.h>

#include <exception>
#include <string>
#include <vector>

#ifdef CODE_BUNDLE_FILE
namespace {

using foundation::json::Value;
using richmarkup::build::json::NodeBuilder;

// One valid element of each block kind, with every key its builders read.
std::vector<std::string> const validElements = {
    R"({"className":"RichTextParagraphNode","id":"p","alignment":"center","children":[
        {"className":"RichTextNode","text":"a","bold":true,"italic":false,"monospace":true,"underline":false},
        {"className":"HyperlinkNode","hyperlink":{"target":"t","anchor":"a","targetType":"url"},"children":[]},
        {"className":"ImageNode","imageId":"i","imgSrc":"s","height":1,"width":2,"altText":"x","verticalAlign":"top"},
        {"className":"EquationNode","texString":"x","displayStyle":true,"encoding":"tex","altTextString":"x"}]})",
    R"({"className":"HeadingNode","level":1,"anchorId":"h","children":[]})",
    R"({"className":"ListParagraph","type":"ordered","children":[{"className":"ListItem","children":[]}]})",
    R"({"className":"TableOfContentsContainer","children":[{"className":"TableOfContentsHeadingNode","children":[]}]})",
    R"({"className":"TableNode","hasHeader":true,"columnWidths":[1],"children":[{"className":"TableRowNode",
        "children":[{"className":"TableCellNode","children":[]}]}]})",
    R"({"className":"CodeExampleBlockNode","type":"sh","children":[{"className":"CodeExampleLineNode",
        "children":[{"className":"CodeTextNode","text":"ls","tokenKind":"keyword"}]}]})",
};

std::vector<Value> const wrongKinds = {
    Value(),
    foundation::json::parse("null"),
    Value(true),
    Value(2.5),
    Value(std::string("s")),
    foundation::json::parse("[1]"),
    foundation::json::parse(R"({"k":1})"),
    Value(1.5f),
    Value(-7LL),
    Value(7ULL),
};

class BadInput : public ::testing::Test {
protected:
    // Builds with the first accepting builder; true when it finished, false when it threw.
    bool build(Value const& element) {
        vx::zero::Model model;
        try {
            for (auto const& builder : builders_) {
                if (builder->canBuild(element)) {
                    return static_cast<bool>(builder->build(model, element));
                }
            }
            return true;
        } catch (std::exception const& e) {
            EXPECT_NE(std::string(e.what()), "");
            return false;
        }
    }

    // Every key of the element and of its descendants replaced in turn by each wrong kind.
    void everyKeyEveryKind(Value const& root, Value const& node,
                           std::vector<std::pair<std::string, std::size_t>> path) {
        if (node.isArray()) {
            for (std::size_t i = 0; i < node.asArray().size(); ++i) {
                auto deeper = path;
                deeper.emplace_back(std::string(), i);
                everyKeyEveryKind(root, node.asArray()[i], deeper);
            }
            return;
        }
        if (!node.isObject()) {
            return;
        }
        for (auto const& member : node.asObject()) {
            auto deeper = path;
            deeper.emplace_back(member.first, 0);
            for (Value const& wrong : wrongKinds) {
                build(replaced(root, deeper, 0, wrong));
                ++tried_;
            }
            everyKeyEveryKind(root, member.second, deeper);
        }
    }

    static Value replaced(Value const& at, std::vector<std::pair<std::string, std::size_t>> const& path, std::size_t i,
                          Value const& with) {
        if (i == path.size()) {
            return with;
        }
        if (path[i].first.empty()) {
            foundation::json::Array items = at.asArray();
            items[path[i].second] = replaced(items[path[i].second], path, i + 1, with);
            return Value(std::move(items));
        }
        foundation::json::Object members = at.asObject();
        members.set(path[i].first, replaced(at[path[i].first.c_str()], path, i + 1, with));
        return Value(std::move(members));
    }

    richmarkup::test::RunningFramework fw_{{CODE_BUNDLE_FILE, RICHTEXT_BUNDLE_FILE}};
    std::vector<std::shared_ptr<NodeBuilder>> builders_ = fw_.services<NodeBuilder>();
    std::size_t tried_ = 0;
};

TEST_F(BadInput, EveryKeyOfEveryKindGivenEveryWrongKind) {
    for (std::string const& text : validElements) {
        Value const element = foundation::json::parse(text);
        ASSERT_TRUE(build(element)) << text;
        everyKeyEveryKind(element, element, {});
    }
    EXPECT_GT(tried_, 500u);
    for (std::string const& text : validElements) {
        EXPECT_TRUE(build(foundation::json::parse(text))) << "builders broken after bad input: " << text;
    }
}

TEST_F(BadInput, InvalidUtf8TextIsAClearError) {
    std::string const bad = "{\"className\":\"RichTextParagraphNode\",\"children\":[{\"className\":\"RichTextNode\","
                            "\"text\":\"ok \xC3\x28\"}]}";
    Value element;
    try {
        element = foundation::json::parse(bad);
    } catch (foundation::json::ParseError const& e) {
        EXPECT_GT(e.line(), 0u); // refused by the parser already: also fine
        return;
    }
    EXPECT_FALSE(build(element));
}

TEST_F(BadInput, HugeStringsAndArraysAndDeepNesting) {
    std::string const text(4 << 20, 'x');
    std::string children;
    for (int i = 0; i < 20000; ++i) {
        children += std::string(i ? "," : "") + R"({"className":"RichTextNode","text":"r"})";
    }
    EXPECT_TRUE(build(foundation::json::parse(R"({"className":"RichTextParagraphNode","children":[{"className":
        "RichTextNode","text":")" + text + R"("},)" +
                                              children + "]}")));

    // Tables nest through cells; the parser's depth limit bounds the recursion.
    std::string nested = R"({"className":"TableCellNode","children":[]})";
    for (int i = 0; i < 80; ++i) {
        nested = R"({"className":"TableNode","children":[{"className":"TableRowNode","children":[{"className":)"
                 R"("TableCellNode","children":[)" +
                 nested + "]}]}]}";
    }
    EXPECT_TRUE(build(foundation::json::parse(nested)));
    std::string tooDeep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_THROW(foundation::json::parse(tooDeep), foundation::json::ParseError);
}

} // namespace
#endif
