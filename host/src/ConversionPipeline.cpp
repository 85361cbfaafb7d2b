#include <richmarkup/host/ConversionPipeline.hpp>
#include <richmarkup/host/DocumentHost.hpp>
#include <richmarkup/host/ElementBuildError.hpp>

#include <foundation/json/ParseError.hpp>
#include <foundation/json/TextLocator.hpp>

#include <iterator>
#include <stdexcept>
#include <utility>

namespace richmarkup::host {

namespace {

constexpr std::size_t kWarmParserLimit = std::size_t(1) << 20;

void requireNotRun(bool ran) {
    if (ran) {
        throw std::logic_error("ConversionPipeline: it has run already; a pipeline runs once");
    }
}

foundation::json::Parser& warmParser() {
    thread_local foundation::json::Parser parser;
    return parser;
}

} // namespace

struct ConversionPipeline::Text {
    std::string name;
    std::size_t firstLine = 1;
    // A text added as a view, copied into `source` only when a diagnostic needs it: most
    // documents have none.
    std::string_view view;
    std::optional<SourceText> source;
    // The parse, let go once built.
    std::optional<foundation::json::ElementStream> stream;
    // Where the document starts, found while the text is at hand: the place of an error about
    // the document as a whole, which must not need a file read again.
    std::optional<foundation::json::TextPosition> opening;

    // What a reader made, for an input in another format: its elements (kept to find nodes in
    // them later: they are shared, not copied) and where each came from.
    std::optional<formats::ReadDocument> read;
    bool readLines = true;

    SourceText& located() {
        if (!source) {
            source.emplace(name, std::string(), std::string(view), firstLine);
        }
        return *source;
    }

    // A reader's place: no text to find a pointer in, but the place each element came from.
    Diagnostic placed(Diagnostic::Severity severity, formats::SourcePlace const& place, std::string message) const {
        Diagnostic diagnostic{severity, name, 0, 0, place.pointer, std::move(message)};
        if (readLines && place.line > 0) {
            diagnostic.line = place.line;
            diagnostic.column = place.column;
        }
        // Markdown has no pointers: its places are a line and column, as malformed text's are.
        diagnostic.malformed = place.pointer.empty();
        return diagnostic;
    }

    // The place of the top-level element a build pointer ("/3/children/1") is in.
    formats::SourcePlace const& placeOf(std::string_view pointer) const {
        static formats::SourcePlace const nowhere;
        std::size_t index = 0;
        std::size_t i = 1;
        for (; i < pointer.size() && pointer[i] >= '0' && pointer[i] <= '9'; ++i) {
            index = index * 10 + static_cast<std::size_t>(pointer[i] - '0');
        }
        if (i == 1 || index >= read->places.size()) {
            return nowhere;
        }
        return read->places[index];
    }

    Diagnostic locate(BuildWarning const& warning, Diagnostic::Severity severity) {
        if (read) {
            return placed(severity, placeOf(warning.pointer), warning.message);
        }
        return located().locate(warning, severity);
    }

    Diagnostic locate(ElementBuildError const& error) {
        if (!read) {
            return located().locate(error);
        }
        std::string message = error.what();
        if (!error.cause().empty()) {
            message += " (" + error.cause() + ")";
        }
        return placed(Diagnostic::Severity::Error, placeOf(error.pointer()), std::move(message));
    }
};

ConversionPipeline::ConversionPipeline(ConversionOptions options) : options_(std::move(options)) {}

ConversionPipeline::~ConversionPipeline() = default;

std::optional<Diagnostic> ConversionPipeline::add(std::string_view json, std::string name, std::size_t firstLine) {
    requireNotRun(ran_);
    std::optional<foundation::json::ElementStream> stream;
    try {
        // Small documents, which come many after another in a batch, share a warm parser per
        // thread: fresh buffers for each would be mapped, faulted in and unmapped every time,
        // and unmapping stops every other thread of the process for a TLB flush. A large one
        // gets a parser of its own, so that no thread keeps its buffers afterwards.
        if (json.size() > kWarmParserLimit) {
            stream = foundation::json::Parser().stream(json);
        } else {
            stream = warmParser().stream(json);
        }
    } catch (foundation::json::ParseError const& e) {
        return SourceText(std::move(name), std::string(), std::nullopt, firstLine).locate(e);
    }
    auto text = std::make_unique<Text>();
    text->name = std::move(name);
    text->firstLine = firstLine;
    text->view = json;
    text->stream = std::move(stream);
    text->opening = foundation::json::TextLocator(json).locate("");
    texts_.push_back(std::move(text));
    return std::nullopt;
}

std::optional<Diagnostic> ConversionPipeline::add(foundation::json::WritableText json, std::string name,
                                                  std::string path, std::optional<std::string> kept) {
    requireNotRun(ran_);
    SourceText source(name, std::move(path), std::move(kept));
    std::optional<foundation::json::ElementStream> stream;
    try {
        stream = foundation::json::Parser().streamAndRelease(json);
    } catch (foundation::json::ParseError const& e) {
        return source.locate(e);
    }
    auto text = std::make_unique<Text>();
    text->name = std::move(name);
    text->source.emplace(std::move(source));
    text->stream = std::move(stream);
    text->opening = foundation::json::TextLocator(std::string_view(json.data, json.size)).locate("");
    texts_.push_back(std::move(text));
    return std::nullopt;
}

void ConversionPipeline::add(formats::ReadDocument document, std::string name, bool lines) {
    requireNotRun(ran_);
    auto text = std::make_unique<Text>();
    text->name = std::move(name);
    text->read.emplace(std::move(document));
    text->readLines = lines;
    texts_.push_back(std::move(text));
}

SourceText& ConversionPipeline::source(std::size_t index) { return texts_.at(index)->located(); }

foundation::json::Value ConversionPipeline::document(std::size_t index) {
    Text& text = *texts_.at(index);
    if (text.read) {
        return foundation::json::Value(text.read->elements);
    }
    try {
        return foundation::json::Parser().parse(text.located().text());
    } catch (std::exception const&) {
        return {}; // changed since it was read
    }
}

Diagnostic ConversionPipeline::locate(std::size_t index, BuildWarning const& warning, Diagnostic::Severity severity) {
    return texts_.at(index)->locate(warning, severity);
}

Conversion ConversionPipeline::run(DocumentHost const& host) {
    requireNotRun(ran_);
    ran_ = true;
    Conversion out;
    out.model = std::make_unique<vx::zero::Model>();
    WarningPolicy const& policy = options_.warnings;
    bool warnedUnderStrict = false;
    for (std::size_t index = 0; index < texts_.size(); ++index) {
        Text& text = *texts_[index];
        firstNodes_.push_back(out.nodes.size());
        // Whether a warning is said at all (under strict each one fails the run), asked before
        // it is located, which is what costs.
        auto const admitted = [&] {
            if (policy.strict) {
                warnedUnderStrict = true;
            } else if (policy.quiet) {
                return false;
            }
            return !options_.admitWarning || options_.admitWarning(index);
        };
        auto const say = [&](Diagnostic diagnostic) {
            if (options_.onWarning) {
                options_.onWarning(index, diagnostic);
            } else {
                out.diagnostics.push_back(std::move(diagnostic));
            }
        };
        auto const onWarning = [&](BuildWarning const& warning) {
            if (admitted()) {
                say(text.locate(warning, policy.severity()));
            }
        };
        if (text.read) {
            // What the reader could not keep as written comes first, as a text's parse would.
            for (auto const& warning : text.read->warnings) {
                if (admitted()) {
                    say(text.placed(policy.severity(), warning.place, warning.message));
                }
            }
        }
        try {
            BuildResult result;
            if (text.read) {
                if (options_.onElement) {
                    for (auto const& element : text.read->elements) {
                        options_.onElement(element);
                    }
                }
                result = host.build(*out.model, foundation::json::Value(text.read->elements), onWarning);
            } else {
                result = host.build(*out.model, *text.stream, onWarning, options_.onElement);
            }
            if (out.nodes.empty()) {
                out.nodes = std::move(result.nodes);
            } else {
                out.nodes.insert(out.nodes.end(), std::make_move_iterator(result.nodes.begin()),
                                 std::make_move_iterator(result.nodes.end()));
            }
        } catch (ElementBuildError const& e) {
            out.diagnostics.push_back(text.locate(e));
            return failed(std::move(out), Failure::BuildError);
        } catch (std::invalid_argument const& e) {
            // A document that is neither an element nor an array of them: an error at its start.
            Diagnostic diagnostic{Diagnostic::Severity::Error, text.name, 1, 1, std::string(), e.what()};
            if (text.opening) {
                diagnostic.line = text.opening->line + text.firstLine - 1;
                diagnostic.column = text.opening->column;
            }
            out.diagnostics.push_back(std::move(diagnostic));
            return failed(std::move(out), Failure::NotADocument);
        }
        if (text.read) {
            counts_.topLevel += text.read->elements.size();
            continue;
        }
        counts_.topLevel += text.stream->size();
        counts_.releasedBytes += text.stream->releasedBytes();
        counts_.parsedParts += text.stream->parts();
        // Built: its parsed Values go now, not after a writer has made its page beside them.
        text.stream.reset();
    }
    counts_.nodes = out.model->nodeCount();
    if (warnedUnderStrict) {
        return failed(std::move(out), Failure::StrictWarnings);
    }
    return out;
}

Conversion ConversionPipeline::failed(Conversion out, Failure failure) {
    // A document is converted whole or not at all.
    out.nodes.clear();
    failure_ = failure;
    return out;
}

} // namespace richmarkup::host
