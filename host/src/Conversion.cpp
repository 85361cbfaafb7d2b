#include <richmarkup/host/Conversion.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/SourceText.hpp>

#include <foundation/json/ParseError.hpp>
#include <foundation/json/Parser.hpp>

#include <optional>
#include <stdexcept>

namespace richmarkup::host {

namespace {

constexpr std::size_t kWarmParserLimit = std::size_t(1) << 20;

foundation::json::Parser& warmParser() {
    thread_local foundation::json::Parser parser;
    return parser;
}

} // namespace

Conversion DocumentHost::convert(std::string_view json, std::string name, std::size_t firstLine) const {
    Conversion out;
    out.model = std::make_unique<vx::zero::Model>();
    // Most documents have no diagnostic: the text is copied for locating only when one comes.
    std::optional<SourceText> source;
    auto locator = [&]() -> SourceText& {
        if (!source) {
            source.emplace(name, std::string(), std::string(json), firstLine);
        }
        return *source;
    };
    std::vector<BuildWarning> warnings;
    auto locateWarnings = [&] {
        for (auto const& warning : warnings) {
            out.diagnostics.push_back(locator().locate(warning));
        }
    };
    try {
        // Small documents, which come many after another in a batch, share a warm parser per
        // thread: fresh buffers for each would be mapped, faulted in and unmapped every time,
        // and unmapping stops every other thread of the process for a TLB flush. A large one
        // gets a parser of its own, so that no thread keeps its buffers afterwards.
        std::optional<foundation::json::Parser> ownParser;
        foundation::json::Parser* parser = &warmParser();
        if (json.size() > kWarmParserLimit) {
            parser = &ownParser.emplace();
        }
        foundation::json::ElementStream document = parser->stream(json);
        BuildResult result = build(*out.model, document, [&](BuildWarning const& w) { warnings.push_back(w); });
        out.nodes = std::move(result.nodes);
        locateWarnings();
    } catch (foundation::json::ParseError const& e) {
        out.diagnostics.push_back(SourceText(name, std::string(), std::nullopt, firstLine).locate(e));
    } catch (ElementBuildError const& e) {
        locateWarnings();
        out.diagnostics.push_back(locator().locate(e));
    } catch (std::invalid_argument const& e) {
        // A document that is neither an element nor an array of them.
        out.diagnostics.push_back(locator().locate(BuildWarning{0, e.what(), std::string()}, Diagnostic::Severity::Error));
    }
    return out;
}

} // namespace richmarkup::host
