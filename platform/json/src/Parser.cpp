#include <foundation/json/Parser.hpp>

#include "ArrayCut.hpp"
#include "Converter.hpp"
#include "ElementStreamImpl.hpp"
#include "ErrorLocator.hpp"
#include "PagesAhead.hpp"
#include "ParserState.hpp"

#include <foundation/memory/Pages.hpp>

#include <simdjson.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

namespace foundation::json {

ParseError::ParseError(std::size_t line, std::size_t column, std::string reason, std::optional<std::string> pointer)
    : std::runtime_error(std::to_string(line) + ":" + std::to_string(column) + ": " +
                         (pointer ? (pointer->empty() ? std::string("/") : *pointer) + ": " : std::string()) + reason),
      line_(line), column_(column), reason_(std::move(reason)), pointer_(std::move(pointer)) {}

static_assert(kPadding >= simdjson::SIMDJSON_PADDING, "the padding callers reserve must cover simdjson's");

namespace {

// Whether simdjson may read a taken string in place: its spare capacity covers the padding.
bool hasPadding(std::string const& text) noexcept { return text.capacity() - text.size() >= kPadding; }

[[noreturn]] void throwAt(std::string_view text, std::size_t offset, std::string reason,
                          std::optional<std::string> pointer = std::nullopt) {
    auto [line, column] = detail::lineAndColumn(text, offset);
    throw ParseError(line, column, std::move(reason), std::move(pointer));
}

[[noreturn]] void throwAt(std::string_view text, detail::SyntaxError error) {
    throwAt(text, error.offset, std::move(error.reason), std::move(error.pointer));
}

// Text from this size on gets its parse's new buffers in 2 MiB pages where the system has them.
constexpr std::size_t kHugePagesFrom = std::size_t(4) << 20;

// Makes the parser's buffers hold `size` bytes of text: the working ones and the document's,
// made here rather than by the parse so that their pages can be advised and mapped ahead.
// `fresh`: whether any is new (its pages not mapped yet). A large parse touches each page of
// its new buffers once, front to back: in 2 MiB pages that is one fault where it was 512.
simdjson::error_code prepareBuffers(simdjson::dom::parser& dom, std::size_t size, bool& fresh) noexcept {
    fresh = false;
    bool const large = size >= kHugePagesFrom;
    if (dom.capacity() < size || dom.max_depth() != kMaxDepth) {
        if (auto const error = dom.allocate(std::max(size, dom.capacity()), kMaxDepth)) {
            return error;
        }
        fresh = true;
        if (large) {
            memory::adviseHugePages(dom.implementation->structural_indexes.get(),
                                    dom.capacity() * sizeof(std::uint32_t));
        }
    }
    if (dom.doc.capacity() < size) {
        if (auto const error = dom.doc.allocate(size)) {
            return error;
        }
        fresh = true;
        if (large) {
            // simdjson makes at least a tape word and 5/3 of a string byte for each byte of text.
            memory::adviseHugePages(dom.doc.tape.get(), size * sizeof(std::uint64_t));
            memory::adviseHugePages(dom.doc.string_buf.get(), size / 3 * 5);
        }
    }
    return simdjson::SUCCESS;
}

// Writable text of this size and more is parsed in two parts at once where it can be cut: below
// it, a thread's start is no longer small against half the parse.
constexpr std::size_t kInPartsFrom = std::size_t(1) << 20;

// Parses one part of a cut array; whether it is an array with entries (an empty part means
// the cut was at a stray comma, which the whole text's parse must report).
// `zeroed`: the part's numbers held as 0 though written otherwise.
bool parsePart(simdjson::dom::parser& dom, char const* text, std::size_t size, bool padded,
               detail::ZeroedNumbers& zeroed) noexcept {
    try {
        bool fresh = false;
        if (prepareBuffers(dom, size, fresh) != simdjson::SUCCESS) {
            return false;
        }
        simdjson::dom::element root;
        if (dom.parse(text, size, !padded).get(root) != simdjson::SUCCESS) {
            return false;
        }
        detail::Tape const tape(dom.doc);
        if (tape.type(detail::Tape::kRoot) != '[' || tape.close(detail::Tape::kRoot) <= detail::Tape::kRoot + 1) {
            return false;
        }
        zeroed.find(tape, {text, size});
        return true;
    } catch (...) {
        return false;
    }
}

using PageRange = detail::PagesAhead::Range;

// Two regions that a pass of the parse fills side by side: in pieces of about 4 MiB, a piece
// of each in turn, each the same share of its region.
void sideBySide(std::vector<PageRange>& out, PageRange a, PageRange b) {
    constexpr std::size_t piece = std::size_t(4) << 20;
    std::size_t const pieces = std::max<std::size_t>(1, (std::max(a.bytes, b.bytes) + piece - 1) / piece);
    for (std::size_t i = 0; i < pieces; ++i) {
        for (PageRange const& region : {a, b}) {
            std::size_t const from = region.bytes * i / pieces;
            std::size_t const to = region.bytes * (i + 1) / pieces;
            if (to > from) {
                out.push_back({static_cast<char const*>(region.start) + from, to - from, region.forWriting});
            }
        }
    }
}

// The parts of simdjson's buffers that a parse of `text` fills, as far as text made mostly
// of strings (rich text) needs them, in the order the parse fills them: the text, read while
// the structural indexes are written, then the tape and the strings side by side. Kept short
// of what such text uses, so that mapping ahead never leaves pages resident that go unused.
std::vector<PageRange> pagesToFill(simdjson::dom::parser& dom, std::string_view text) {
    std::size_t const bytes = text.size();
    std::vector<PageRange> ranges;
    sideBySide(ranges, {text.data(), bytes, false}, {dom.implementation->structural_indexes.get(), bytes / 10 * 6});
    sideBySide(ranges, {dom.doc.tape.get(), bytes / 10 * 8}, {dom.doc.string_buf.get(), bytes / 10 * 9});
    return ranges;
}

} // namespace

Parser::Parser() : state_(std::make_shared<detail::ParserState>()) {}
Parser::~Parser() = default;

Value Parser::parse(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return convertLoaded();
}

Value Parser::parseAndRelease(std::string&& text) {
    std::string owned = std::move(text);
    load(owned, hasPadding(owned), &owned);
    return convertLoaded();
}

ElementStream Parser::stream(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return ElementStream(std::make_unique<ElementStream::Impl>(state_));
}

ElementStream Parser::stream(WritableText text) {
    load({text.data, text.size}, text.readableBeyondEnd >= kPadding, nullptr, text.data);
    return ElementStream(std::make_unique<ElementStream::Impl>(state_));
}

ElementStream Parser::streamAndRelease(std::string&& text) {
    std::string owned = std::move(text);
    load(owned, hasPadding(owned), &owned, owned.data());
    return handOver();
}

ElementStream Parser::streamAndRelease(WritableText text) {
    load({text.data, text.size}, text.readableBeyondEnd >= kPadding, nullptr, text.data);
    return handOver();
}

ElementStream Parser::streamAndRelease(std::string_view text, std::size_t readableBeyondEnd) {
    load(text, readableBeyondEnd >= kPadding, nullptr);
    return handOver();
}

ElementStream Parser::handOver() {
    std::vector<std::unique_ptr<simdjson::dom::document>> documents;
    std::vector<detail::ZeroedNumbers> zeroed;
    documents.push_back(std::make_unique<simdjson::dom::document>(std::move(state_->dom.doc)));
    zeroed.push_back(std::move(state_->zeroed));
    if (state_->split) {
        documents.push_back(std::make_unique<simdjson::dom::document>(std::move(state_->second->doc)));
        zeroed.push_back(std::move(state_->secondZeroed));
    }
    // The stream needs the parsed documents only: the working buffers go now.
    state_ = std::make_shared<detail::ParserState>();
    return ElementStream(std::make_unique<ElementStream::Impl>(std::move(documents), std::move(zeroed)));
}

Value Parser::convertLoaded() {
    return detail::Converter(state_->blocks)
        .convert(detail::Tape(state_->dom.doc, &state_->zeroed), detail::Tape::kRoot);
}

void Parser::load(std::string_view text, bool padded, std::string* release, char* writable) {
    if (state_->lent) {
        state_ = std::make_shared<detail::ParserState>();
    }
    state_->split = false;
    state_->zeroed.clear();
    state_->secondZeroed.clear();
    // Text nested too deep fails before the parse would index all of it.
    if (auto deep = detail::tooDeepOpening(text, kMaxDepth)) {
        throwAt(text, std::move(*deep));
    }
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") {
        body.remove_prefix(3);
    }
    if (writable != nullptr && loadInParts(writable + (body.data() - text.data()), body.size(), padded)) {
        if (release != nullptr) {
            std::string().swap(*release);
        }
        return;
    }
    simdjson::dom::parser& dom = state_->dom;
    bool fresh = false;
    if (prepareBuffers(dom, body.size(), fresh) != simdjson::SUCCESS) {
        throw std::runtime_error("cannot allocate parser buffers for " + std::to_string(body.size()) + " bytes");
    }
    simdjson::dom::element root;
    simdjson::error_code error;
    {
        std::optional<detail::PagesAhead> ahead;
        // Mapping ahead pays only for fresh buffers: over pages already mapped it costs the
        // parse time.
        if (fresh && detail::PagesAhead::worthwhile(body.size())) {
            ahead.emplace(pagesToFill(dom, body));
        }
        // Without room for the padding beyond its end, simdjson reads a copy of the text.
        error = dom.parse(body.data(), body.size(), !padded).get(root);
    }
    if (error == simdjson::SUCCESS) {
        state_->zeroed.find(detail::Tape(dom.doc), body);
        if (release != nullptr) {
            std::string().swap(*release); // the parser holds all it needs: free the text before the tree grows
        }
        return;
    }
    if (auto located = detail::locateError(text, kMaxDepth)) {
        throwAt(text, std::move(*located));
    }
    if (error == simdjson::NUMBER_ERROR) {
        // Integers beyond 64 bits are numbers like any other: read them as doubles.
        std::string const widened = detail::widenBigIntegers(body);
        if (widened.size() != body.size()) {
            load(widened, false, nullptr);
            if (release != nullptr) {
                std::string().swap(*release);
            }
            return;
        }
    }
    if (error == simdjson::DEPTH_ERROR) {
        throwAt(text, 0, "nesting deeper than " + std::to_string(kMaxDepth));
    }
    throwAt(text, text.size(), simdjson::error_message(error));
}

bool Parser::loadInParts(char* text, std::size_t size, bool padded) {
    if (size < kInPartsFrom || std::thread::hardware_concurrency() < 2) {
        return false;
    }
    std::size_t const cut = detail::ArrayCut::find({text, size}, kPadding + 1);
    if (cut == detail::ArrayCut::npos) {
        return false;
    }
    detail::ParserState& state = *state_;
    if (!state.second) {
        state.second = std::make_unique<simdjson::dom::parser>();
    }
    // The first part ends with a bracket where the comma was, the second starts with one in
    // the white space after it. Both parts parsing as arrays with entries proves the cut lay
    // between top-level entries: the first part's closing bracket can only close the root.
    struct Cut {
        char* at;
        char comma;
        char blank;
        explicit Cut(char* where) noexcept : at(where), comma(where[0]), blank(where[1]) {
            at[0] = ']';
            at[1] = '[';
        }
        ~Cut() {
            at[0] = comma;
            at[1] = blank;
        }
        Cut(Cut const&) = delete;
        Cut& operator=(Cut const&) = delete;
    } const restored(text + cut);
    char const* const second = text + cut + 1;
    std::size_t const secondSize = size - cut - 1;
    bool secondParsed = false;
    std::thread other;
    try {
        other = std::thread(
            [&] { secondParsed = parsePart(*state.second, second, secondSize, padded, state.secondZeroed); });
    } catch (std::system_error const&) {
        return false; // no thread to spare: the whole text on this one
    }
    // The first part's padding is the second part's text: read, never written.
    bool const firstParsed = parsePart(state.dom, text, cut + 1, true, state.zeroed);
    other.join();
    state.split = firstParsed && secondParsed;
    return state.split;
}

Value Parser::parseFile(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    }
    in.seekg(0, std::ios::end);
    auto const size = in.tellg();
    if (size < 0) {
        throw std::runtime_error("cannot read " + path + ": not a regular file");
    }
    std::string text;
    text.reserve(static_cast<std::size_t>(size) + kPadding);
    text.resize(static_cast<std::size_t>(size));
    in.seekg(0, std::ios::beg);
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (!in) {
        throw std::runtime_error("cannot read " + path + ": read failed");
    }
    return parseAndRelease(std::move(text));
}

Value parse(std::string_view text) { return Parser().parse(text); }
Value parseFile(std::string const& path) { return Parser().parseFile(path); }

} // namespace foundation::json
