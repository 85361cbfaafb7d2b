#include "ElementChecker.hpp"

#include "ElementPhrases.hpp"
#include "TextEscape.hpp"

#include <foundation/json/TextLocator.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace richmarkup::host {

namespace {

namespace fj = foundation::json;
using fj::Kind;

// Where a kind's children go: which builder takes each one there.
enum class Route { None, Inline, ListItems, TocEntries, TableRows, TableCells, AnyBlock, CodeLines, CodeElements };

// Skip: a value of another kind is passed over; Strict: it fails the build.
enum class Read { Skip, Strict };

// A value the model keeps otherwise than written, or one a builder refuses.
enum class Stored { AsWritten, HeadingLevel, ImageSize, ColumnWidths, IndentWidth };

struct KeyRule {
    std::string_view key;
    Kind kind;
    bool required;
    Read read;
    Stored stored = Stored::AsWritten;
};

struct KindRule {
    std::string_view className;
    Route children;
    bool anchor;     // reads "anchorId", else "id"
    bool alignment;  // reads "alignment"
    std::vector<KeyRule> keys;
};

std::vector<KindRule> const& kindRules() {
    static std::vector<KindRule> const rules = {
        {"RichTextNode", Route::None, false, false,
         {{"text", Kind::String, true, Read::Strict},
          {"bold", Kind::Bool, false, Read::Strict},
          {"italic", Kind::Bool, false, Read::Strict},
          {"monospace", Kind::Bool, false, Read::Strict},
          {"underline", Kind::Bool, false, Read::Strict}}},
        {"HyperlinkNode", Route::Inline, false, false, {{"hyperlink", Kind::Object, false, Read::Skip}}},
        {"ImageNode", Route::None, false, false,
         {{"imageId", Kind::String, false, Read::Skip},
          {"imgSrc", Kind::String, false, Read::Skip},
          {"height", Kind::Double, false, Read::Skip, Stored::ImageSize},
          {"width", Kind::Double, false, Read::Skip, Stored::ImageSize},
          {"altText", Kind::String, false, Read::Skip},
          {"verticalAlign", Kind::String, false, Read::Skip}}},
        {"EquationNode", Route::None, false, false,
         {{"texString", Kind::String, false, Read::Skip},
          {"displayStyle", Kind::Bool, false, Read::Skip},
          {"encoding", Kind::String, false, Read::Skip},
          {"altTextString", Kind::String, false, Read::Skip}}},
        {"RichTextParagraphNode", Route::Inline, true, true, {}},
        {"HeadingNode", Route::Inline, true, true, {{"level", Kind::Double, true, Read::Strict, Stored::HeadingLevel}}},
        {"ListParagraph", Route::ListItems, true, false, {{"type", Kind::String, false, Read::Skip}}},
        {"ListItem", Route::Inline, false, true, {}},
        {"TableOfContentsContainer", Route::TocEntries, true, false, {}},
        {"TableOfContentsHeadingNode", Route::Inline, false, true, {}},
        {"CodeExampleBlockNode", Route::CodeLines, true, false, {{"type", Kind::String, true, Read::Strict}}},
        {"CodeExampleLineNode", Route::CodeElements, false, false, {}},
        {"TableNode", Route::TableRows, true, false,
         {{"hasHeader", Kind::Bool, false, Read::Skip},
          {"columnWidths", Kind::Array, false, Read::Skip, Stored::ColumnWidths}}},
        {"TableRowNode", Route::TableCells, false, false, {}},
        {"TableCellNode", Route::AnyBlock, false, false, {}},
        {"CodeTextNode", Route::None, false, false,
         {{"text", Kind::String, true, Read::Strict}, {"tokenKind", Kind::String, false, Read::Strict}}},
        {"CodeIndentNode", Route::None, false, false,
         {{"width", Kind::Double, true, Read::Strict, Stored::IndentWidth}}},
    };
    return rules;
}

KindRule const* ruleOf(std::string_view className) {
    for (auto const& rule : kindRules()) {
        // Length and first letter tell the kinds apart before any compare of the bytes: this
        // runs for every element and child of a document.
        if (rule.className.size() == className.size() && rule.className[0] == className[0] &&
            rule.className == className) {
            return &rule;
        }
    }
    return nullptr;
}

std::size_t indexOf(KindRule const& rule) noexcept { return static_cast<std::size_t>(&rule - kindRules().data()); }

// The largest whole number every JSON reader keeps exact (2^53 - 1); beyond it one may round.
constexpr double maxExactWhole = 9007199254740991.0;
// The widest indentation the code bundle's CodeIndentNode builder takes, and the start of the
// message it fails with beyond it.
constexpr double maxIndentWidth = 256;
constexpr std::string_view indentWidthRefused = "CodeIndentNode width must be";

// What the image builder stores for a size: truncated toward zero, a negative one wrapped round
// from its signed integer part, what 64 bits do not hold saturated (NaN: 0).
std::uint64_t storedImageSize(double value) {
    constexpr double twoTo63 = 9223372036854775808.0;
    constexpr double twoTo64 = 18446744073709551616.0;
    if (std::isnan(value) || (value < 0 && value > -1)) {
        return 0;
    }
    if (value >= 0) {
        return value < twoTo64 ? static_cast<std::uint64_t>(value) : UINT64_MAX;
    }
    return value < -twoTo63 ? static_cast<std::uint64_t>(INT64_MIN)
                            : static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
}

// What the table builder stores for a column width: truncated toward zero, saturated to 64 bits.
long long storedColumnWidth(double value) {
    constexpr double twoTo63 = 9223372036854775808.0;
    if (std::isnan(value)) {
        return 0;
    }
    if (value >= twoTo63) {
        return INT64_MAX;
    }
    return value < -twoTo63 ? INT64_MIN : static_cast<long long>(value);
}

// The text a builder throws when it reads a value of one kind as another (Value's own).
std::string conversionFailure(Kind held, Kind wanted) {
    return std::string("invalid conversion: ") + fj::kindName(held) + " to " + fj::kindName(wanted);
}

constexpr std::string_view inlineKinds[] = {"RichTextNode", "HyperlinkNode", "ImageNode", "EquationNode"};
constexpr std::string_view codeElementKinds[] = {"CodeTextNode", "CodeIndentNode"};
constexpr std::string_view hyperlinkKeys[] = {"target", "anchor", "targetType"};
constexpr std::string_view alignmentWords[] = {"left", "center", "right", "justify"};

// The route whose builder takes each kind, by rule index: every kind that none of the
// fixed routes takes is a block, which a table cell takes when a block builder does.
Route placeOf(KindRule const& rule) {
    static std::vector<Route> const places = [] {
        auto const in = [](std::string_view name, auto const& kinds) {
            return std::find(std::begin(kinds), std::end(kinds), name) != std::end(kinds);
        };
        std::vector<Route> out;
        for (auto const& r : kindRules()) {
            std::string_view const name = r.className;
            out.push_back(in(name, inlineKinds)                  ? Route::Inline
                          : in(name, codeElementKinds)           ? Route::CodeElements
                          : name == "ListItem"                   ? Route::ListItems
                          : name == "TableOfContentsHeadingNode" ? Route::TocEntries
                          : name == "TableRowNode"               ? Route::TableRows
                          : name == "TableCellNode"              ? Route::TableCells
                          : name == "CodeExampleLineNode"        ? Route::CodeLines
                                                                 : Route::AnyBlock);
        }
        return out;
    }();
    return places[indexOf(rule)];
}

std::string quoted(std::string_view text) {
    std::string out;
    text::appendQuoted(out, text);
    return out;
}

using phrases::number;


std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            std::size_t const above = row[j];
            bool const same = std::tolower(static_cast<unsigned char>(a[i - 1])) ==
                              std::tolower(static_cast<unsigned char>(b[j - 1]));
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (same ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// Walks an element as the builders read it. The pointer of a value is put together only when
// something is found there: a clean element costs no allocation.
class Walk {
public:
    Walk(std::set<std::string> const& blockKinds, std::vector<bool> const& blockRules, std::string const& base,
         std::vector<Finding>& warnings, std::vector<Finding>& errors)
        : blockKinds_(blockKinds), blockRules_(blockRules), base_(base), warnings_(warnings), errors_(errors) {}

    // One pass over the element's members: each is read where the builders read it.
    void element(fj::Value const& element, KindRule const& rule) {
        std::uint32_t seen = 0;  // bit i: rule.keys[i] is present
        fj::Value const* children = nullptr;
        fj::Value const* anchorId = nullptr;
        fj::Value const* id = nullptr;
        for (auto const& [name, value] : element.asObject()) {
            std::string_view const key = name;
            if (key == "className") {
                continue;
            }
            if (rule.children != Route::None && key == "children") {
                children = &value;
                continue;
            }
            if (rule.anchor && key == "anchorId") {
                anchorId = &value;
                continue;
            }
            if (rule.anchor && key == "id") {
                id = &value;
                continue;
            }
            if (rule.alignment && key == "alignment") {
                alignment(value);
                continue;
            }
            std::size_t i = 0;
            while (i < rule.keys.size() && rule.keys[i].key != key) {
                ++i;
            }
            if (i < rule.keys.size()) {
                seen |= 1u << i;
                this->key(rule.keys[i], value);
            } else {
                nearKey(key, knownKeys(rule), {});
            }
        }
        for (std::size_t i = 0; i < rule.keys.size(); ++i) {
            if (rule.keys[i].required && (seen & (1u << i)) == 0) {
                error({}, quoted(rule.className) + " needs the key " + quoted(rule.keys[i].key) + ", which is missing",
                      conversionFailure(Kind::Undefined, rule.keys[i].kind));
            }
        }
        // "id" is read only when "anchorId" is no string.
        if (anchorId != nullptr && !anchorId->isString()) {
            ignored("anchorId", *anchorId, Kind::String);
        }
        if ((anchorId == nullptr || !anchorId->isString()) && id != nullptr && !id->isString()) {
            ignored("id", *id, Kind::String);
        }
        if (rule.children != Route::None) {
            this->children(children, rule);
        }
    }

    /// Of each error found: the start of the text a builder fails with for it.
    std::vector<std::string> const& explains() const noexcept { return explains_; }

    // The kind a builder takes `child` as at the place `route` leads to, or null.
    KindRule const* taken(fj::Value const& child, Route route) const { return takenAt(child, route); }

private:
    // One step of a pointer below the current value: a key, or an array index.
    struct Step {
        static constexpr std::size_t npos = static_cast<std::size_t>(-1);
        Step(char const* name) : key(name) {}
        Step(std::string_view name) : key(name) {}
        Step(std::size_t position) : index(position) {}
        std::string_view key;
        std::size_t index = npos;
    };

    void key(KeyRule const& key, fj::Value const& value) {
        if (value.kind() != key.kind) {
            if (key.read == Read::Strict) {
                error({key.key}, mistyped(key.key, value.kind(), key.kind), conversionFailure(value.kind(), key.kind));
            } else {
                ignored(key.key, value, key.kind);
            }
            return;
        }
        if (key.key == "hyperlink") {
            hyperlink(value);
        }
        switch (key.stored) {
        case Stored::AsWritten:
            break;
        case Stored::HeadingLevel: {
            double const level = value.asDouble();
            if (!(level >= 0 && level <= 255 && std::floor(level) == level)) {
                bool const representable = std::isfinite(level) && std::fabs(level) < 2147483648.0;
                auto const stored =
                    static_cast<std::uint32_t>(static_cast<std::int32_t>(representable ? level : 0)) & 0xFFu;
                warn({key.key}, "level " + number(level) + " is not a whole number from 0 to 255; the model stores " +
                                    std::to_string(stored));
            }
            break;
        }
        case Stored::ImageSize: {
            double const size = value.asDouble();
            if (!(size >= 0 && size <= maxExactWhole && std::floor(size) == size)) {
                warn({key.key}, quoted(key.key) + " " + number(size) + " is not a whole number from 0 to " +
                                    number(maxExactWhole) + "; the model stores " +
                                    std::to_string(storedImageSize(size)));
            }
            break;
        }
        case Stored::ColumnWidths:
            columnWidths(value);
            break;
        case Stored::IndentWidth: {
            double const width = value.asDouble();
            if (!(width >= 0 && width <= maxIndentWidth && std::floor(width) == width)) {
                // The builder's own text says it all.
                error({key.key}, std::string(), std::string(indentWidthRefused));
            }
            break;
        }
        }
    }

    void columnWidths(fj::Value const& widths) {
        auto const& array = widths.asArray();
        for (std::size_t i = 0; i < array.size(); ++i) {
            if (!array[i].isDouble()) {
                error({"columnWidths", {i}},
                      "a column width must be " + phrases::kindPhrase(Kind::Double) + ", not " +
                          phrases::kindPhrase(array[i].kind()),
                      conversionFailure(array[i].kind(), Kind::Double));
                continue;
            }
            double const width = array[i].asDouble();
            if (!(std::floor(width) == width && std::fabs(width) <= maxExactWhole)) {
                warn({"columnWidths", {i}}, "column width " + number(width) + " is not a whole number from " +
                                                number(-maxExactWhole) + " to " + number(maxExactWhole) +
                                                "; the model stores " + std::to_string(storedColumnWidth(width)));
            }
        }
    }

    void hyperlink(fj::Value const& link) {
        for (std::string_view const key : hyperlinkKeys) {
            if (link.hasOwnProperty(key) && !link[key].isString()) {
                warn({"hyperlink", {key}}, quoted(key) + " is ignored: it must be a string, not " +
                                               phrases::kindPhrase(link[key].kind()));
            }
        }
        for (auto const& member : link.asObject()) {
            if (std::find(std::begin(hyperlinkKeys), std::end(hyperlinkKeys), member.first) == std::end(hyperlinkKeys)) {
                nearKey(member.first, {std::begin(hyperlinkKeys), std::end(hyperlinkKeys)}, "hyperlink");
            }
        }
    }

    void ignored(std::string_view key, fj::Value const& value, Kind wanted) {
        warn({key}, quoted(key) + " is ignored: it must be " + phrases::kindPhrase(wanted) + ", not " +
                        phrases::kindPhrase(value.kind()));
    }

    void alignment(fj::Value const& word) {
        if (!word.isString()) {
            ignored("alignment", word, Kind::String);
        } else if (std::find(std::begin(alignmentWords), std::end(alignmentWords), word.asString()) ==
                   std::end(alignmentWords)) {
            warn({"alignment"}, "alignment " + quoted(word.asString()) +
                                    " is not one the model knows (left, center, right, justify); stored as left");
        }
    }

    // Only for an unknown key, which is rare: the list is made when one turns up.
    static std::vector<std::string_view> knownKeys(KindRule const& rule) {
        std::vector<std::string_view> known = {"className"};
        if (rule.children != Route::None) {
            known.push_back("children");
        }
        if (rule.anchor) {
            known.insert(known.end(), {"anchorId", "id"});
        }
        if (rule.alignment) {
            known.push_back("alignment");
        }
        for (auto const& key : rule.keys) {
            known.push_back(key.key);
        }
        return known;
    }

    // An unknown key close to a known one is most likely that key misspelt, and so ignored.
    void nearKey(std::string_view key, std::vector<std::string_view> const& known, std::string_view parent) {
        for (auto const& candidate : known) {
            std::size_t const distance = editDistance(key, candidate);
            if (distance == 0 || (distance <= 2 && candidate.size() > 3)) {
                std::string const message =
                    "unknown key " + quoted(key) + " is ignored: did you mean " + quoted(candidate) + "?";
                if (parent.empty()) {
                    warn({key}, message);
                } else {
                    warn({parent, {key}}, message);
                }
                return;
            }
        }
    }

    void children(fj::Value const* value, KindRule const& rule) {
        if (value == nullptr) {
            error({}, quoted(rule.className) + " needs the key \"children\", which is missing",
                  conversionFailure(Kind::Undefined, Kind::Array));
            return;
        }
        fj::Value const& children = *value;
        if (!children.isArray()) {
            error({"children"}, mistyped("children", children.kind(), Kind::Array),
                  conversionFailure(children.kind(), Kind::Array));
            return;
        }
        auto const& array = children.asArray();
        for (std::size_t i = 0; i < array.size(); ++i) {
            fj::Value const& child = array[i];
            KindRule const* taken = takenAt(child, rule.children);
            if (taken != nullptr) {
                path_.emplace_back("children");
                path_.emplace_back(i);
                this->element(child, *taken);
                path_.pop_back();
                path_.pop_back();
                continue;
            }
            if (child.isObject() && child.hasOwnProperty("className") && !child["className"].isString() &&
                (rule.children == Route::Inline || rule.children == Route::ListItems ||
                 (rule.children == Route::AnyBlock && blockKinds_.count("ListItem") != 0))) {
                // The inline and list-item builders read className strictly.
                error({"children", {i}, {"className"}}, mistyped("className", child["className"].kind(), Kind::String),
                      conversionFailure(child["className"].kind(), Kind::String));
                continue;
            }
            warn({"children", {i}}, dropped(child, rule));
        }
    }

    KindRule const* takenAt(fj::Value const& child, Route route) const {
        fj::Value const* className = child.isObject() ? child.asObject().get("className") : nullptr;
        if (className == nullptr || !className->isString()) {
            return nullptr;
        }
        KindRule const* rule = ruleOf(className->asString());
        if (rule == nullptr) {
            return nullptr;
        }
        if (route == Route::AnyBlock) {
            return blockRules_[indexOf(*rule)] ? rule : nullptr;
        }
        return route != Route::None && placeOf(*rule) == route ? rule : nullptr;
    }

    static std::string dropped(fj::Value const& child, KindRule const& parent) {
        std::string what;
        if (!child.isObject()) {
            what = phrases::kindPhrase(child.kind());
        } else if (!child.hasOwnProperty("className")) {
            what = "an element without \"className\"";
        } else if (!child["className"].isString()) {
            what = "an element whose \"className\" is " + phrases::kindPhrase(child["className"].kind());
        } else {
            what = "a " + quoted(child["className"].asString()) + " element";
        }
        return what + " is skipped: no builder takes it among the children of " + quoted(parent.className);
    }

    static std::string mistyped(std::string_view key, Kind held, Kind wanted) {
        return quoted(key) + " must be " + phrases::kindPhrase(wanted) + ", not " + phrases::kindPhrase(held);
    }

    // The pointer of the current value, followed by `below`.
    std::string pointer(std::initializer_list<Step> below) const {
        std::string out = base_;
        auto append = [&](Step const& step) {
            if (step.index != Step::npos) {
                out += "/" + std::to_string(step.index);
            } else {
                fj::appendPointerToken(out, step.key);
            }
        };
        for (auto const& step : path_) {
            append(step);
        }
        for (auto const& step : below) {
            append(step);
        }
        return out;
    }

    void warn(std::initializer_list<Step> below, std::string message) {
        warnings_.push_back({pointer(below), std::move(message)});
    }
    // `explains`: the start of the text a builder fails with for it.
    void error(std::initializer_list<Step> below, std::string message, std::string explains) {
        errors_.push_back({pointer(below), std::move(message)});
        explains_.push_back(std::move(explains));
    }

    std::set<std::string> const& blockKinds_;
    std::vector<bool> const& blockRules_;  // by rule index: a kind of blockKinds_
    std::string const& base_;
    std::vector<Step> path_;
    std::vector<Finding>& warnings_;
    std::vector<Finding>& errors_;
    std::vector<std::string> explains_;  // of each of errors_
};

} // namespace

ElementChecker::ElementChecker(std::set<std::string> blockKinds) : blockKinds_(std::move(blockKinds)) {
    for (auto const& rule : kindRules()) {
        blockRules_.push_back(blockKinds_.count(std::string(rule.className)) != 0);
    }
}

void ElementChecker::check(fj::Value const& element, std::string const& pointer, std::vector<Finding>& out) const {
    if (element.hasTextNotes()) {
        textNotes(element, element, pointer, out);
    }
    if (!element.isObject() || !element["className"].isString()) {
        return;
    }
    KindRule const* rule = ruleOf(element["className"].asString());
    if (rule == nullptr) {
        return;  // a kind of another bundle's: its keys are its own
    }
    std::vector<Finding> errors;
    Walk(blockKinds_, blockRules_, pointer, out, errors).element(element, *rule);
}

std::optional<Finding> ElementChecker::locateError(fj::Value const& element, std::string const& pointer,
                                                   std::string_view builderMessage) const {
    if (!element.isObject() || !element["className"].isString()) {
        return std::nullopt;
    }
    KindRule const* rule = ruleOf(element["className"].asString());
    if (rule == nullptr) {
        return std::nullopt;
    }
    std::vector<Finding> warnings;
    std::vector<Finding> errors;
    Walk walk(blockKinds_, blockRules_, pointer, warnings, errors);
    walk.element(element, *rule);
    // The first value whose fault is the one the builder names: a builder reads keys in an
    // order of its own, so an earlier fault of another kind may be no part of its error.
    for (std::size_t i = 0; i < errors.size(); ++i) {
        if (builderMessage.substr(0, walk.explains()[i].size()) == walk.explains()[i]) {
            return errors[i];
        }
    }
    return std::nullopt;
}

void ElementChecker::textNotes(fj::Value const& tree, fj::Value const& value, std::string const& pointer,
                               std::vector<Finding>& out) {
    if (value.isObject()) {
        for (std::string_view const key : value.duplicateKeys()) {
            std::string at = pointer;
            fj::appendPointerToken(at, key);
            out.push_back({std::move(at), phrases::duplicateKey(key)});
        }
        for (auto const& [key, member] : value.asObject()) {
            std::string at = pointer;
            fj::appendPointerToken(at, key);
            textNotes(tree, member, at, out);
        }
    } else if (value.isArray()) {
        auto const& entries = value.asArray();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            textNotes(tree, entries[i], pointer + "/" + std::to_string(i), out);
        }
    } else if (value.isDouble() && value.asDouble() == 0) {
        if (std::string_view const written = tree.writtenAs(value); !written.empty()) {
            out.push_back({pointer, "the number " + std::string(written) +
                                        " is too small for a double: it is read as 0"});
        }
    }
}

bool ElementChecker::takesBlock(fj::Value const& element) const {
    std::vector<Finding> none;
    std::string const base;
    return Walk(blockKinds_, blockRules_, base, none, none).taken(element, Route::AnyBlock) != nullptr;
}

std::optional<std::size_t> ElementChecker::nodeChildPosition(fj::Value const& element, std::size_t n) const {
    if (!element.isObject() || !element["className"].isString() || !element["children"].isArray()) {
        return std::nullopt;
    }
    KindRule const* rule = ruleOf(element["className"].asString());
    if (rule == nullptr || rule->children == Route::None) {
        return std::nullopt;
    }
    std::vector<Finding> none;
    std::string const base;
    Walk const walk(blockKinds_, blockRules_, base, none, none);
    auto const& children = element["children"].asArray();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (walk.taken(children[i], rule->children) != nullptr && n-- == 0) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> ElementChecker::kindOfTestId(std::string const& testId) {
    static constexpr std::pair<std::string_view, std::string_view> kinds[] = {
        {"RichTextParagraphNodeBuilderImpl", "RichTextParagraphNode"},
        {"HeadingNodeBuilderImpl", "HeadingNode"},
        {"ListContainerBuilderImpl", "ListParagraph"},
        {"ListItemBuilderImpl", "ListItem"},
        {"TableOfContentsContainerBuilderImpl", "TableOfContentsContainer"},
        {"TableOfContentsHeadingNodeBuilderImpl", "TableOfContentsHeadingNode"},
        {"CodeExampleBlockBuilderImpl", "CodeExampleBlockNode"},
        {"CodeExampleLineBuilderImpl", "CodeExampleLineNode"},
        {"TableNodeBuilderImpl", "TableNode"},
        {"TableRowNodeBuilderImpl", "TableRowNode"},
        {"TableCellNodeBuilderImpl", "TableCellNode"},
    };
    for (auto const& [id, kind] : kinds) {
        if (id == testId) {
            return std::string(kind);
        }
    }
    return std::nullopt;
}

} // namespace richmarkup::host
