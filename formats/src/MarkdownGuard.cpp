#include "MarkdownGuard.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace richmarkup::formats {

namespace {

// Steps of cmark's list walks a table may take (about a second at most).
constexpr double maxTableWork = 4e8;
// Steps back over open images that a paragraph's links may take.
constexpr std::uint64_t maxBracketWork = 50'000'000;
// Bytes of reference definitions that links may copy: this many per byte of Markdown, and more.
constexpr std::uint64_t copiesPerByte = 16;
constexpr std::uint64_t copiesBase = std::uint64_t(32) << 20;
// The longest link label.
constexpr std::size_t maxLabel = 1000;

struct Line {
    std::size_t begin;   // its first byte
    std::size_t end;     // past its last byte, before the line end
    std::size_t content; // past the blanks and block quote markers that start it
    std::size_t indent;  // blanks before the content, a tab as four
    std::size_t pipes;   // unescaped
    bool blank;
};

bool holds(std::string_view text, std::size_t begin, std::size_t end, char c) {
    return begin < end && std::memchr(text.data() + begin, c, end - begin) != nullptr;
}

// Unescaped `c` in [begin, end).
std::size_t count(std::string_view text, std::size_t begin, std::size_t end, char c) {
    if (!holds(text, begin, end, c)) {
        return 0;
    }
    std::size_t n = 0;
    for (std::size_t i = begin; i < end; ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == c) {
            ++n;
        }
    }
    return n;
}

std::vector<Line> linesOf(std::string_view text) {
    std::vector<Line> lines;
    for (std::size_t begin = 0; begin <= text.size();) {
        void const* newline = std::memchr(text.data() + begin, '\n', text.size() - begin);
        std::size_t end = newline != nullptr ? static_cast<char const*>(newline) - text.data() : text.size();
        // A lone CR ends a line too.
        if (void const* cr = std::memchr(text.data() + begin, '\r', end - begin)) {
            end = static_cast<char const*>(cr) - text.data();
        }
        Line line{begin, end, begin, 0, 0, false};
        while (line.content < end &&
               (text[line.content] == ' ' || text[line.content] == '\t' || text[line.content] == '>')) {
            line.indent = text[line.content] == '>' ? 0 : line.indent + (text[line.content] == '\t' ? 4 : 1);
            ++line.content;
        }
        line.blank = line.content == end;
        line.pipes = count(text, line.content, end, '|');
        lines.push_back(line);
        if (end == text.size()) {
            break;
        }
        begin = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
    return lines;
}

bool isBracketOrEscape(char c) {
    // Most bytes are none: one comparison each.
    return static_cast<unsigned char>(c - '[') <= static_cast<unsigned char>(']' - '[');
}

// Whether a line is an ATX heading, in every container: a line of its own.
bool isHeading(std::string_view text, Line const& line) {
    if (line.blank || line.indent >= 4 || text[line.content] != '#') {
        return false;
    }
    std::string_view const rest = text.substr(line.content, line.end - line.content);
    std::size_t const marks = std::min(rest.find_first_not_of('#'), rest.size());
    return marks <= 6 && (marks == rest.size() || rest[marks] == ' ' || rest[marks] == '\t');
}

// Whether a line starts a block that ends any paragraph before it, as cmark reads it in every
// container: an ATX heading, a list item with text (a bullet or "1."), a code fence.
bool endsParagraph(std::string_view text, Line const& line) {
    if (line.blank || isHeading(text, line)) {
        return true;
    }
    if (line.indent >= 4) {
        return false;
    }
    std::string_view const rest = text.substr(line.content, line.end - line.content);
    auto spaceThenText = [&](std::size_t at) {
        if (at >= rest.size() || (rest[at] != ' ' && rest[at] != '\t')) {
            return false;
        }
        return rest.find_first_not_of(" \t", at) != std::string_view::npos;
    };
    char const first = rest.front();
    if (first == '-' || first == '+' || first == '*') {
        return spaceThenText(1);
    }
    if (first == '1' && rest.size() > 1 && (rest[1] == '.' || rest[1] == ')')) {
        return spaceThenText(2);
    }
    if (rest.compare(0, 3, "```") == 0) {
        return rest.find('`', 3) == std::string_view::npos;
    }
    return rest.compare(0, 3, "~~~") == 0;
}

class Guard {
public:
    explicit Guard(std::string_view text) : text_(text), lines_(linesOf(text)) {}

    MarkdownGuard::Result run() {
        tables();
        brackets(); // counts the closings definitions() needs
        definitions();
        if (!escapes_.empty()) {
            std::sort(escapes_.begin(), escapes_.end());
            escapes_.erase(std::unique(escapes_.begin(), escapes_.end()), escapes_.end());
            result_.escaped.reserve(text_.size() + escapes_.size());
            std::size_t from = 0;
            for (std::size_t at : escapes_) {
                result_.escaped.append(text_, from, at - from);
                result_.escaped.push_back('\\');
                from = at;
            }
            result_.escaped.append(text_, from, std::string_view::npos);
            result_.changed = true;
            result_.escapes = std::move(escapes_);
            for (Line const& line : lines_) {
                result_.lineStarts.push_back(line.begin);
            }
        }
        return std::move(result_);
    }

private:
    void warn(std::size_t line, std::size_t at, std::string message) {
        result_.warnings.push_back(
            ReaderWarning{SourcePlace{line + 1, at - lines_[line].begin + 1, {}}, std::move(message)});
    }

    // A delimiter row makes cmark split the paragraph before it into rows, and a table's rows
    // into cells, each appended at the end of a list: about cells^2 / 2 steps a row, a row
    // filled up to the delimiter row's number of cells. A table's rows go on up to a blank line.
    // Summed over each run of non-blank lines from both ends, so that each delimiter row costs
    // a look-up; when a run's delimiter rows would cost too much in all, none of them is one.
    void tables() {
        struct Sums {
            double squares = 0; // of cells, far past any integer when hostile
            std::uint64_t cells = 0;
            std::uint64_t lines = 0;
            std::uint64_t bytes = 0;
        };
        std::vector<Sums> before;
        std::vector<Sums> after;
        std::vector<std::size_t> rows; // the delimiter rows of a run
        for (std::size_t first = 0; first < lines_.size();) {
            if (lines_[first].blank) {
                ++first;
                continue;
            }
            std::size_t last = first;
            while (last + 1 < lines_.size() && !lines_[last + 1].blank) {
                ++last;
            }
            std::size_t const n = last - first + 1;
            before.assign(n + 1, Sums{});
            after.assign(n + 1, Sums{});
            for (std::size_t k = 0; k < n; ++k) {
                Line const& line = lines_[first + k];
                double const cells = static_cast<double>(line.pipes + 1);
                before[k + 1] = Sums{before[k].squares + cells * cells, 0, 0, 0};
                Line const& back = lines_[last - k];
                std::uint64_t const backCells = back.pipes + 1;
                Sums const& next = after[n - k];
                after[n - k - 1] =
                    Sums{next.squares + static_cast<double>(backCells * backCells), next.cells + backCells,
                         next.lines + 1, next.bytes + (back.end - back.begin) + 1};
            }
            rows.clear();
            double work = 0;
            std::uint64_t most = 0; // cells of the table that makes the most for its text
            bool tooMany = false;
            for (std::size_t k = 1; k < n; ++k) {
                Line const& line = lines_[first + k];
                std::string_view const row = text_.substr(line.content, line.end - line.content);
                if (row.find_first_not_of("|-: \t") != std::string_view::npos ||
                    row.find('-') == std::string_view::npos || row.find('|') == std::string_view::npos) {
                    continue;
                }
                rows.push_back(first + k);
                std::uint64_t const columns = line.pipes + 1;
                Sums const& table = after[k - 1];
                work += before[k].squares + table.squares +
                        static_cast<double>(columns) * static_cast<double>(columns) * static_cast<double>(table.lines);
                std::uint64_t const made = table.cells + columns * table.lines;
                most = std::max(most, made);
                tooMany = tooMany || made > 2 * table.bytes + 65536;
            }
            if (!rows.empty() && (work > maxTableWork || tooMany)) {
                for (std::size_t i : rows) {
                    escapes_.push_back(lines_[i].content + text_.substr(lines_[i].content).find('-'));
                }
                bool const one = rows.size() == 1;
                warn(rows.front(), lines_[rows.front()].content,
                     std::to_string(rows.size()) + (one ? " table" : " tables") +
                         " read as text: cmark-gfm would make up to " + std::to_string(most) + " cells of " +
                         (one ? "its" : "their") + " rows, too many for their text or its time");
            }
            first = last + 1;
        }
    }

    // A link closed walks back over the images open before it: at most one step for each "!["
    // before each ']' of the paragraph.
    void brackets() {
        std::size_t first = 0;
        std::uint64_t images = 0;
        std::uint64_t work = 0;
        auto end = [&](std::size_t next) {
            if (work > maxBracketWork) {
                std::size_t escaped = 0;
                for (std::size_t i = first; i < next; ++i) {
                    for (std::size_t at = lines_[i].content; at < lines_[i].end; ++at) {
                        if (text_[at] == '\\') {
                            ++at;
                        } else if (text_[at] == '[') {
                            escapes_.push_back(at);
                            ++escaped;
                        }
                    }
                }
                warn(first, lines_[first].content,
                     std::to_string(escaped) + " brackets of a paragraph read as text, not as links or images: "
                                               "cmark-gfm takes quadratic time over so many images and links");
            }
            first = next;
            images = 0;
            work = 0;
        };
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (i > first && (endsParagraph(text_, lines_[i]) || isHeading(text_, lines_[i - 1]))) {
                end(i);
            }
            Line const& line = lines_[i];
            if (!holds(text_, line.content, line.end, '[') && !holds(text_, line.content, line.end, ']')) {
                continue;
            }
            for (std::size_t at = line.content; at < line.end; ++at) {
                while (at < line.end && !isBracketOrEscape(text_[at])) {
                    ++at;
                }
                if (at == line.end) {
                    break;
                }
                char const c = text_[at];
                if (c == '\\') {
                    ++at;
                } else if (c == '[' && at > line.content && text_[at - 1] == '!') {
                    ++images;
                } else if (c == ']') {
                    work += images;
                    ++closings_;
                }
            }
        }
        end(lines_.size());
    }

    // A definition starts a line: "[label]:", the label without brackets and at most
    // maxLabel long, up to the end of its block. It ends with its destination's line, unless a
    // title may go on: then at the end of the block.
    void definitions() {
        std::uint64_t const uses = closings_;
        if (uses == 0) {
            return;
        }
        std::uint64_t const longest = (copiesPerByte * text_.size() + copiesBase) / uses;
        std::size_t blockEnd = 0; // the first blank line after the current one
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (blockEnd <= i) {
                blockEnd = i;
                while (blockEnd < lines_.size() && !lines_[blockEnd].blank) {
                    ++blockEnd;
                }
            }
            Line const& line = lines_[i];
            if (line.blank || text_[line.content] != '[') {
                continue;
            }
            std::size_t const limit =
                std::min(blockEnd < lines_.size() ? lines_[blockEnd].begin : text_.size(), line.content + maxLabel);
            std::size_t close = line.content + 1;
            while (close < limit && text_[close] != '[' && text_[close] != ']') {
                close += text_[close] == '\\' ? 2 : 1;
            }
            if (close + 1 >= limit || text_[close] != ']' || text_[close + 1] != ':') {
                continue;
            }
            std::size_t at = i;
            while (lines_[at].end < close) {
                ++at;
            }
            std::size_t const destination =
                text_.find_first_not_of(" \t", close + 2) < lines_[at].end || at + 1 >= blockEnd ? at : at + 1;
            std::size_t const from = destination == at ? close + 2 : lines_[destination].content;
            bool const title =
                openTitle(from, lines_[destination].end) ||
                (destination + 1 < blockEnd &&
                 std::string_view("\"'(").find(text_[lines_[destination + 1].content]) != std::string_view::npos);
            std::size_t const end =
                title ? (blockEnd < lines_.size() ? lines_[blockEnd].begin : text_.size()) : lines_[destination].end;
            if (end - line.content > longest) {
                escapes_.push_back(line.content);
                warn(i, line.content,
                     "link reference definition of " + std::to_string(end - line.content) +
                         " bytes read as text: cmark-gfm would copy it into each of up to " + std::to_string(uses) +
                         " links");
            }
        }
    }

    // Whether a title may open after a destination in [from, end) and go on past the line.
    bool openTitle(std::size_t from, std::size_t end) const {
        return count(text_, from, end, '"') % 2 == 1 || count(text_, from, end, '\'') % 2 == 1 ||
               count(text_, from, end, '(') > count(text_, from, end, ')');
    }

    std::string_view text_;
    std::vector<Line> lines_;
    std::vector<std::size_t> escapes_;
    std::uint64_t closings_ = 0; // unescaped ']', each a link that may use a definition
    MarkdownGuard::Result result_;
};

} // namespace

SourcePlace MarkdownGuard::Result::original(SourcePlace place) const {
    if (!changed || place.line == 0 || place.line > lineStarts.size() || place.column == 0) {
        return place;
    }
    std::size_t const start = lineStarts[place.line - 1];
    // Escapes before the line, then those whose backslash stands before the place: the
    // backslash of the escape i stands at escapes[i] + i.
    std::size_t const before =
        static_cast<std::size_t>(std::lower_bound(escapes.begin(), escapes.end(), start) - escapes.begin());
    std::size_t const at = start + before + place.column - 1;
    std::size_t low = before;
    std::size_t high = escapes.size();
    while (low < high) {
        std::size_t const middle = low + (high - low) / 2;
        if (escapes[middle] + middle < at) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    place.column = at - low - start + 1;
    return place;
}

MarkdownGuard::Result MarkdownGuard::check(std::string_view markdown) { return Guard(markdown).run(); }

} // namespace richmarkup::formats
