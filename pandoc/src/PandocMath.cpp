#include <richmarkup/pandoc/PandocMath.hpp>

#include <richmarkup/formats/TextEscape.hpp>

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <unordered_map>

namespace richmarkup::pandoc {

struct PandocMath::State {
    Pandoc pandoc;
    std::once_flag asked;
    formats::PandocWriter::Api api = formats::PandocWriter::Api::V1_23;
    // What the runs made, by display style and TeX: the documents of a corpus share most of their
    // notation, and a page whose equations are all known here needs no pandoc at all. Let go
    // whole when it would pass kRemembered bytes.
    std::mutex remembering;
    std::unordered_map<std::string, formats::ConvertedMath> remembered;
    std::size_t rememberedBytes = 0;

    // The AST version is asked of pandoc once, at the first page with equations.
    formats::PandocWriter::Api version() {
        std::call_once(asked, [this] { api = pandoc.api(); });
        return api;
    }
};

namespace {

std::string astOf(std::vector<formats::TexMath> const& equations, formats::PandocWriter::Api api) {
    std::string ast = api == formats::PandocWriter::Api::V1_22 ? R"({"pandoc-api-version":[1,22],)"
                                                               : R"({"pandoc-api-version":[1,23],)";
    ast += R"("meta":{},"blocks":[)";
    for (std::size_t i = 0; i < equations.size(); ++i) {
        ast += i == 0 ? "" : ",";
        ast += equations[i].display ? R"({"t":"Para","c":[{"t":"Math","c":[{"t":"DisplayMath"},)"
                                    : R"({"t":"Para","c":[{"t":"Math","c":[{"t":"InlineMath"},)";
        formats::text::appendQuoted(ast, equations[i].tex);
        ast += "]}]}";
    }
    ast += "]}";
    return ast;
}

// pandoc's HTML of the paragraphs, one a line: their contents in order. The TeX in them is
// escaped, so no "</p>" of its own can end one early.
std::vector<std::string_view> paragraphsOf(std::string_view html) {
    std::vector<std::string_view> out;
    std::size_t at = 0;
    while (true) {
        std::size_t const open = html.find("<p>", at);
        if (open == std::string_view::npos) {
            return out;
        }
        std::size_t const close = html.find("</p>", open + 3);
        if (close == std::string_view::npos) {
            return out;
        }
        out.push_back(html.substr(open + 3, close - open - 3));
        at = close + 4;
    }
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) {
        line.remove_prefix(1);
    }
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    return line;
}

} // namespace

PandocMath::PandocMath(Pandoc pandoc) : state_(std::make_shared<State>()) { state_->pandoc = std::move(pandoc); }

bool PandocMath::available() const noexcept { return state_->pandoc.program().has_value(); }

std::optional<PandocMath::Choice> PandocMath::choose(std::optional<std::string_view> setting,
                                                     std::string& error) const {
    auto math = formats::HtmlMath::parse(setting.value_or("mathml"), error);
    if (!math) {
        return std::nullopt;
    }
    Choice choice{std::move(*math), Choice::Outcome::Chosen};
    if (choice.math.mode != formats::HtmlMath::Mode::MathML) {
        return choice;
    }
    if (available()) {
        choice.math.toMathml = converter();
    } else if (setting) {
        choice.outcome = Choice::Outcome::NoConverter;
    } else {
        choice.outcome = Choice::Outcome::FellBack;
        choice.math.mode = formats::HtmlMath::Mode::Plain;
    }
    return choice;
}

formats::MathmlConverter PandocMath::converter() const {
    return [self = *this](std::vector<formats::TexMath> const& equations) { return self.convert(equations); };
}

namespace {

// One pandoc run for `count` equations from `first`, its results into `out`.
void convertRun(Pandoc const& pandoc, formats::PandocWriter::Api api, formats::TexMath const* first, std::size_t count,
                formats::ConvertedMath* out) {
    std::vector<formats::TexMath> const equations(first, first + count);
    Pandoc::Run const run = pandoc.run({"--from=json", "--to=html", "--mathml", "--wrap=none"}, astOf(equations, api));
    if (run.status != 0) {
        throw std::runtime_error("pandoc could not convert the equations: " + Pandoc::failureOf(run));
    }
    auto const paragraphs = paragraphsOf(run.output);
    if (paragraphs.size() != count) {
        throw std::runtime_error("pandoc gave " + std::to_string(paragraphs.size()) + " equations back of " +
                                 std::to_string(count));
    }
    std::vector<std::string> const reasons = PandocMath::rejections(run.errors);
    std::vector<std::size_t> rejected;
    for (std::size_t i = 0; i < count; ++i) {
        if (paragraphs[i].rfind("<math", 0) == 0) {
            out[i].mathml = std::string(paragraphs[i]);
        } else {
            rejected.push_back(i);
        }
    }
    // pandoc warns of each in the order it meets them; when its words cannot be matched up, each
    // still gets a reason.
    bool const matched = reasons.size() == rejected.size();
    for (std::size_t k = 0; k < rejected.size(); ++k) {
        out[rejected[k]].problem = "pandoc: " + (matched ? reasons[k] : std::string("cannot convert it"));
    }
}

// A page's equations in one run, but for pages of many distinct ones: those are split so that no
// pandoc holds more than kMostARun (its memory grows with them) and so that the runs share the
// cores. pandoc's own collector keeps a second core busy too, so two runs at once gain only on
// large pages: 2 x 2 500 equations took 0.77 s where 5 000 took 1.10 s, and 2 x 1 000 no less than
// 2 000 in one run.
constexpr std::size_t kMostARun = 5000;
constexpr std::size_t kSplitFrom = 4000;
constexpr std::size_t kRemembered = std::size_t(16) << 20;

std::string keyOf(formats::TexMath const& equation) { return (equation.display ? 'D' : 'I') + equation.tex; }

} // namespace

std::vector<formats::ConvertedMath> PandocMath::convert(std::vector<formats::TexMath> const& equations) const {
    std::vector<formats::ConvertedMath> out(equations.size());
    std::vector<formats::TexMath> unknown;
    std::vector<std::size_t> places;
    {
        std::lock_guard<std::mutex> const lock(state_->remembering);
        for (std::size_t i = 0; i < equations.size(); ++i) {
            auto const found = state_->remembered.find(keyOf(equations[i]));
            if (found != state_->remembered.end()) {
                out[i] = found->second;
            } else {
                unknown.push_back(equations[i]);
                places.push_back(i);
            }
        }
    }
    if (unknown.empty()) {
        return out;
    }
    std::vector<formats::ConvertedMath> converted = convertUnknown(unknown);
    std::lock_guard<std::mutex> const lock(state_->remembering);
    for (std::size_t k = 0; k < unknown.size(); ++k) {
        std::string key = keyOf(unknown[k]);
        std::size_t const bytes =
            key.size() + converted[k].mathml.value_or(std::string()).size() + converted[k].problem.size();
        if (state_->rememberedBytes + bytes > kRemembered) {
            state_->remembered.clear();
            state_->rememberedBytes = 0;
        }
        if (state_->remembered.emplace(std::move(key), converted[k]).second) {
            state_->rememberedBytes += bytes;
        }
        out[places[k]] = std::move(converted[k]);
    }
    return out;
}

std::vector<formats::ConvertedMath> PandocMath::convertUnknown(std::vector<formats::TexMath> const& equations) const {
    std::vector<formats::ConvertedMath> out(equations.size());
    std::size_t const count = equations.size();
    if (!available()) {
        throw std::runtime_error("no pandoc to convert TeX to MathML (apt-get install pandoc)");
    }
    formats::PandocWriter::Api const api = state_->version();
    std::size_t const cores = std::max(1u, std::thread::hardware_concurrency());
    std::size_t const runs = std::max((count + kMostARun - 1) / kMostARun, count >= kSplitFrom ? cores : 1);
    std::size_t const perRun = (count + runs - 1) / runs;
    if (runs == 1) {
        convertRun(state_->pandoc, api, equations.data(), count, out.data());
        return out;
    }
    std::atomic<std::size_t> next{0};
    std::mutex failing;
    std::exception_ptr failed;
    auto const work = [&] {
        for (std::size_t from = next.fetch_add(perRun); from < count; from = next.fetch_add(perRun)) {
            try {
                convertRun(state_->pandoc, api, equations.data() + from, std::min(perRun, count - from),
                           out.data() + from);
            } catch (...) {
                std::lock_guard<std::mutex> const lock(failing);
                failed = failed ? failed : std::current_exception();
            }
        }
    };
    std::vector<std::thread> helpers;
    for (std::size_t i = 1; i < std::min(runs, cores); ++i) {
        helpers.emplace_back(work);
    }
    work();
    for (auto& helper : helpers) {
        helper.join();
    }
    if (failed) {
        std::rethrow_exception(failed);
    }
    return out;
}

std::vector<std::string> PandocMath::rejections(std::string_view errors) {
    // "[WARNING] Could not convert TeX math ..., rendering as TeX:" then, indented, the TeX, a
    // line with a caret under the place, and the parser's words: the first of them is the reason.
    std::vector<std::string> reasons;
    bool inHeader = false; // the TeX of the first line may go on over several
    bool inWarning = false;
    bool afterCaret = false;
    auto const endsHeader = [](std::string_view line) {
        std::string_view const end = "rendering as TeX:";
        line = trimmed(line);
        return line.size() >= end.size() && line.substr(line.size() - end.size()) == end;
    };
    while (!errors.empty()) {
        std::size_t const end = errors.find('\n');
        std::string_view const line = errors.substr(0, end);
        errors.remove_prefix(end == std::string_view::npos ? errors.size() : end + 1);
        if (line.rfind("[WARNING] Could not convert TeX math", 0) == 0) {
            reasons.emplace_back("cannot convert it");
            inHeader = !endsHeader(line);
            inWarning = true;
            afterCaret = false;
            continue;
        }
        if (inHeader) {
            inHeader = !endsHeader(line);
            continue;
        }
        bool const continued = !line.empty() && (line[0] == ' ' || line[0] == '\t');
        if (!inWarning || !continued) {
            inWarning = false;
            continue;
        }
        if (trimmed(line) == "^") {
            afterCaret = true;
        } else if (afterCaret) {
            reasons.back() = std::string(trimmed(line));
            inWarning = false;
        }
    }
    return reasons;
}

} // namespace richmarkup::pandoc
