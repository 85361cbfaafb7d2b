#include "ElementChecker.hpp"

#include "ElementPhrases.hpp"
#include "FormatDescription.hpp"
#include <richmarkup/formats/TextEscape.hpp>

#include <foundation/json/TextLocator.hpp>
#include <richmarkup/build/json/core/BuildCore.hpp>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace richmarkup::host {

namespace {

namespace fj = foundation::json;
using fj::Kind;

using format::Key;
using format::KindRule;
using format::Read;
using format::Route;
using format::Stored;

std::size_t indexOf(KindRule const& kind) noexcept { return static_cast<std::size_t>(&kind - format::kinds().data()); }

// The start of the message the code bundle's CodeIndentNode builder fails with for a width it refuses.
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

// Whether the builder asked about a child at `route` fails on a "className" of another JSON
// kind: one of the kinds taken there reads it strictly. `blockRules`: for AnyBlock.
bool strictNamesAt(Route route, std::vector<bool> const& blockRules) {
    for (auto const& kind : format::kinds()) {
        bool const taken = route == Route::AnyBlock ? blockRules[indexOf(kind)] : kind.place == route;
        if (taken && kind.nameRead == Read::Strict) {
            return true;
        }
    }
    return false;
}

std::string quoted(std::string_view text) {
    std::string out;
    formats::text::appendQuoted(out, text);
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
    Walk(std::vector<bool> const& blockRules, std::string const& base, std::vector<Finding>& warnings,
         std::vector<Finding>& errors)
        : blockRules_(blockRules), base_(base), warnings_(warnings), errors_(errors) {}

    // One pass over the element's members: each is read where the builders read it.
    void element(fj::Value const& element, KindRule const& rule) {
        std::uint32_t seen = 0; // bit i: rule.keys[i] is present
        fj::Value const* children = nullptr;
        fj::Value const* anchorId = nullptr;
        fj::Value const* id = nullptr;
        for (auto const& [name, value] : element.asObject()) {
            std::string_view const key = name;
            if (key == format::classNameKey) {
                continue;
            }
            if (rule.children != Route::None && key == format::childrenKey) {
                children = &value;
                continue;
            }
            if (rule.anchor && key == format::anchorIdKey) {
                anchorId = &value;
                continue;
            }
            if (rule.anchor && key == format::idKey) {
                id = &value;
                continue;
            }
            if (rule.alignment && key == format::alignmentKey) {
                alignment(value);
                continue;
            }
            std::size_t i = 0;
            while (i < rule.keys.size() && rule.keys[i].name != key) {
                ++i;
            }
            if (i < rule.keys.size()) {
                seen |= 1u << i;
                this->key(rule.keys[i], value);
            } else {
                nearKey(key, format::keyNames(rule));
            }
        }
        for (std::size_t i = 0; i < rule.keys.size(); ++i) {
            if (rule.keys[i].required && (seen & (1u << i)) == 0) {
                error({}, quoted(rule.className) + " needs the key " + quoted(rule.keys[i].name) + ", which is missing",
                      conversionFailure(Kind::Undefined, rule.keys[i].kind));
            }
        }
        // "id" is read only when "anchorId" is no string.
        if (anchorId != nullptr && !anchorId->isString()) {
            ignored(format::anchorIdKey, *anchorId, Kind::String);
        }
        if ((anchorId == nullptr || !anchorId->isString()) && id != nullptr && !id->isString()) {
            ignored(format::idKey, *id, Kind::String);
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

    void key(Key const& key, fj::Value const& value) {
        if (value.kind() != key.kind) {
            if (key.read == Read::Strict) {
                error({key.name}, mistyped(key.name, value.kind(), key.kind),
                      conversionFailure(value.kind(), key.kind));
            } else {
                ignored(key.name, value, key.kind);
            }
            return;
        }
        if (!key.members.empty()) {
            members(key, value);
        }
        switch (key.stored) {
        case Stored::AsWritten: break;
        case Stored::HeadingLevel: {
            double const level = value.asDouble();
            unsigned const stored = build::json::core::headingLevel(level);
            if (static_cast<double>(stored) != level) {
                format::WholeRange const range = format::wholeRange(key.stored);
                warn({key.name}, "level " + number(level) + " is not a whole number from " + number(range.min) +
                                     " to " + number(range.max) + "; the model stores " + std::to_string(stored));
            }
            break;
        }
        case Stored::ImageSize: {
            double const size = value.asDouble();
            format::WholeRange const range = format::wholeRange(key.stored);
            if (!range.holds(size)) {
                warn({key.name}, quoted(key.name) + " " + number(size) + " is not a whole number from " +
                                     number(range.min) + " to " + number(range.max) + "; the model stores " +
                                     std::to_string(storedImageSize(size)));
            }
            break;
        }
        case Stored::ColumnWidths: columnWidths(value); break;
        case Stored::IndentWidth:
            if (!format::wholeRange(key.stored).holds(value.asDouble())) {
                // The builder's own text says it all.
                error({key.name}, std::string(), std::string(indentWidthRefused));
            }
            break;
        }
    }

    void columnWidths(fj::Value const& widths) {
        format::WholeRange const range = format::wholeRange(Stored::ColumnWidths);
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
            if (!range.holds(width)) {
                warn({"columnWidths", {i}}, "column width " + number(width) + " is not a whole number from " +
                                                number(range.min) + " to " + number(range.max) + "; the model stores " +
                                                std::to_string(storedColumnWidth(width)));
            }
        }
    }

    // The keys read inside an object value (a link's properties): first those of the wrong
    // kind, in the description's order, then unknown ones close to them.
    void members(Key const& key, fj::Value const& object) {
        path_.emplace_back(key.name);
        std::vector<std::string_view> known;
        for (Key const& member : key.members) {
            known.push_back(member.name);
            if (fj::Value const* value = object.asObject().get(member.name)) {
                this->key(member, *value);
            }
        }
        for (auto const& member : object.asObject()) {
            if (std::find(known.begin(), known.end(), member.first) == known.end()) {
                nearKey(member.first, known);
            }
        }
        path_.pop_back();
    }

    void ignored(std::string_view key, fj::Value const& value, Kind wanted) {
        warn({key}, quoted(key) + " is ignored: it must be " + phrases::kindPhrase(wanted) + ", not " +
                        phrases::kindPhrase(value.kind()));
    }

    void alignment(fj::Value const& word) {
        auto const& words = format::alignmentWords;
        if (!word.isString()) {
            ignored(format::alignmentKey, word, Kind::String);
        } else if (std::find(std::begin(words), std::end(words), word.asString()) == std::end(words)) {
            std::string known;
            for (std::string_view const w : words) {
                known += known.empty() ? "" : ", ";
                known += w;
            }
            warn({format::alignmentKey}, "alignment " + quoted(word.asString()) + " is not one the model knows (" +
                                             known + "); stored as left");
        }
    }

    // An unknown key close to a known one is most likely that key misspelt, and so ignored.
    void nearKey(std::string_view key, std::vector<std::string_view> const& known) {
        for (auto const& candidate : known) {
            std::size_t const distance = editDistance(key, candidate);
            if (distance == 0 || (distance <= 2 && candidate.size() > 3)) {
                warn({key}, "unknown key " + quoted(key) + " is ignored: did you mean " + quoted(candidate) + "?");
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
            error({format::childrenKey}, mistyped(format::childrenKey, children.kind(), Kind::Array),
                  conversionFailure(children.kind(), Kind::Array));
            return;
        }
        auto const& array = children.asArray();
        for (std::size_t i = 0; i < array.size(); ++i) {
            fj::Value const& child = array[i];
            KindRule const* taken = takenAt(child, rule.children);
            if (taken != nullptr) {
                path_.emplace_back(format::childrenKey);
                path_.emplace_back(i);
                this->element(child, *taken);
                path_.pop_back();
                path_.pop_back();
                continue;
            }
            if (child.isObject() && child.hasOwnProperty(format::classNameKey) &&
                !child[format::classNameKey].isString() && strictNamesAt(rule.children, blockRules_)) {
                Kind const held = child[format::classNameKey].kind();
                error({format::childrenKey, {i}, {format::classNameKey}},
                      mistyped(format::classNameKey, held, Kind::String), conversionFailure(held, Kind::String));
                continue;
            }
            warn({format::childrenKey, {i}}, dropped(child, rule));
        }
    }

    KindRule const* takenAt(fj::Value const& child, Route route) const {
        fj::Value const* className = child.isObject() ? child.asObject().get(format::classNameKey) : nullptr;
        if (className == nullptr || !className->isString()) {
            return nullptr;
        }
        KindRule const* rule = format::kindNamed(className->asString());
        if (rule == nullptr) {
            return nullptr;
        }
        if (route == Route::AnyBlock) {
            return blockRules_[indexOf(*rule)] ? rule : nullptr;
        }
        return route != Route::None && rule->place == route ? rule : nullptr;
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

    std::vector<bool> const& blockRules_; // by kind index: a kind a registered block builder takes
    std::string const& base_;
    std::vector<Step> path_;
    std::vector<Finding>& warnings_;
    std::vector<Finding>& errors_;
    std::vector<std::string> explains_; // of each of errors_
};

} // namespace

ElementChecker::ElementChecker(std::set<std::string> const& blockKinds) {
    for (auto const& kind : format::kinds()) {
        blockRules_.push_back(blockKinds.count(std::string(kind.className)) != 0);
    }
}

void ElementChecker::check(fj::Value const& element, std::string const& pointer, std::vector<Finding>& out) const {
    if (element.hasTextNotes()) {
        textNotes(element, element, pointer, out);
    }
    if (!element.isObject() || !element["className"].isString()) {
        return;
    }
    KindRule const* rule = format::kindNamed(element["className"].asString());
    if (rule == nullptr) {
        return; // a kind of another bundle's: its keys are its own
    }
    std::vector<Finding> errors;
    Walk(blockRules_, pointer, out, errors).element(element, *rule);
}

std::optional<Finding> ElementChecker::locateError(fj::Value const& element, std::string const& pointer,
                                                   std::string_view builderMessage) const {
    if (!element.isObject() || !element["className"].isString()) {
        return std::nullopt;
    }
    KindRule const* rule = format::kindNamed(element["className"].asString());
    if (rule == nullptr) {
        return std::nullopt;
    }
    std::vector<Finding> warnings;
    std::vector<Finding> errors;
    Walk walk(blockRules_, pointer, warnings, errors);
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
            out.push_back(
                {pointer, "the number " + std::string(written) + " is too small for a double: it is read as 0"});
        }
    }
}

bool ElementChecker::takesBlock(fj::Value const& element) const {
    std::vector<Finding> none;
    std::string const base;
    return Walk(blockRules_, base, none, none).taken(element, Route::AnyBlock) != nullptr;
}

std::optional<std::size_t> ElementChecker::nodeChildPosition(fj::Value const& element, std::size_t n) const {
    if (!element.isObject() || !element["className"].isString() || !element["children"].isArray()) {
        return std::nullopt;
    }
    KindRule const* rule = format::kindNamed(element["className"].asString());
    if (rule == nullptr || rule->children == Route::None) {
        return std::nullopt;
    }
    std::vector<Finding> none;
    std::string const base;
    Walk const walk(blockRules_, base, none, none);
    auto const& children = element["children"].asArray();
    for (std::size_t i = 0; i < children.size(); ++i) {
        if (walk.taken(children[i], rule->children) != nullptr && n-- == 0) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace richmarkup::host
