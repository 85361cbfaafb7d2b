// Any bytes read as Markdown: the read never throws or crashes; each top-level element has its
// place, on a line of the input; every element, top-level or in a "children" array, is an object
// with a string className, nested a few levels at most (Markdown links do not nest, and list
// items and cells hold no blocks); every string read is UTF-8; every warning is one line of
// UTF-8, placed on a line of the input. A violation aborts with what is wrong and where.
#include "MessageCheck.hpp"

#include <richmarkup/formats/MarkdownReader.hpp>

#include <foundation/json/Object.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace json = foundation::json;
using richmarkup::formats::MarkdownReader;
using richmarkup::formats::ReadDocument;
using richmarkup::formats::SourcePlace;
using richmarkup::fuzz::MessageCheck;

// A table's cell holds a paragraph whose link holds a run: six elements deep.
constexpr std::size_t maxDepth = 6;

[[noreturn]] void violated(char const* rule, std::string const& what) {
    std::fprintf(stderr, "\n==richmarkup_fuzz_markdown_reader== %s: %s\n", rule, what.c_str());
    std::abort();
}

std::size_t linesOf(std::string_view text) {
    std::size_t lines = 1;
    for (std::size_t i = 0; i < text.size(); ++i) {
        lines += text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
    }
    return lines;
}

void checkPlace(SourcePlace const& place, std::size_t lines, std::string const& what) {
    if (place.line > lines) {
        violated("places in the input",
                 what + " on line " + std::to_string(place.line) + " of " + std::to_string(lines));
    }
}

// Every element under `top`, walked with a stack of its own.
void checkElement(json::Value const& top, std::string const& where) {
    struct Step {
        json::Value const* element;
        std::size_t depth;
    };
    std::vector<Step> stack{Step{&top, 1}};
    while (!stack.empty()) {
        Step const step = stack.back();
        stack.pop_back();
        json::Value const& element = *step.element;
        if (!element.isObject() || !element["className"].isString()) {
            violated("elements are objects with a className", where + " holds a " + element.kindName() +
                                                                  " without a string className at depth " +
                                                                  std::to_string(step.depth));
        }
        if (step.depth > maxDepth) {
            violated("shallow elements", where + " nests a " + element["className"].asString() + " " +
                                             std::to_string(step.depth) + " deep");
        }
        std::vector<json::Value const*> strings;
        for (auto const& [key, member] : element.asObject()) {
            if (member.isString()) {
                strings.push_back(&member);
            } else if (member.isObject()) {
                for (auto const& [innerKey, inner] : member.asObject()) {
                    if (inner.isString()) {
                        strings.push_back(&inner);
                    }
                }
            } else if (member.isArray()) {
                if (key != "children") {
                    violated("elements are objects with a className", where + " has an array " + key);
                }
                for (auto const& child : member.asArray()) {
                    stack.push_back(Step{&child, step.depth + 1});
                }
            }
        }
        for (json::Value const* string : strings) {
            if (!MessageCheck::validUtf8(string->asString())) {
                violated("UTF-8 text", where + " " + element["className"].asString() + " holds " +
                                           MessageCheck::printable(string->asString(), 120));
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(std::uint8_t const* data, std::size_t size) {
    std::string_view const markdown(reinterpret_cast<char const*>(data), size);
    ReadDocument document;
    try {
        document = MarkdownReader::read(markdown);
    } catch (std::exception const& e) {
        violated("no exception", e.what());
    }
    if (document.places.size() != document.elements.size()) {
        violated("a place for each element", std::to_string(document.elements.size()) + " elements, " +
                                                 std::to_string(document.places.size()) + " places");
    }
    std::size_t const lines = linesOf(markdown);
    for (std::size_t i = 0; i < document.elements.size(); ++i) {
        std::string const where = "element " + std::to_string(i);
        checkElement(document.elements[i], where);
        checkPlace(document.places[i], lines, where);
    }
    for (auto const& warning : document.warnings) {
        if (auto problem = MessageCheck::problem(warning.message)) {
            violated("one line per message", MessageCheck::printable(warning.message, 200) + ": " + *problem);
        }
        checkPlace(warning.place, lines, "warning " + MessageCheck::printable(warning.message, 200));
    }
    return 0;
}
