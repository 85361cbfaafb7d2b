#include "ForeignInput.hpp"

#include "DocumentConversion.hpp"
#include "InputText.hpp"
#include "PandocNeeded.hpp"

#include <richmarkup/formats/MarkdownReader.hpp>
#include <richmarkup/formats/PandocReader.hpp>

namespace richmarkup::tool {

namespace {

std::string placed(std::string const& input, formats::SourcePlace const& place, bool lines) {
    std::string out = printableName(input);
    if (lines && place.line > 0) {
        out += ':' + std::to_string(place.line) + ':' + std::to_string(place.column);
    }
    out += ": ";
    if (!place.pointer.empty()) {
        out += place.pointer + ": ";
    }
    return out;
}

InputText readWhole(std::string const& input) {
    InputText file = input == "-" ? InputText::readStandardInput(InputText::Content::Text)
                                  : InputText::read(input, InputText::Content::Text);
    return file;
}

void requireUnchanged(InputText const& file, std::string const& input) {
    if (file.changed()) {
        throw ForeignInputError(printableName(input) + ": changed while it was read");
    }
}

formats::ReadDocument readAst(std::string_view json, std::string const& input, bool lines) {
    try {
        return formats::PandocReader::read(json);
    } catch (formats::ReadError const& e) {
        throw ForeignInputError(placed(input, e.place(), lines) + e.what());
    }
}

} // namespace

formats::ReadDocument readForeign(std::string const& input, InputChoice const& choice, std::string const& program) {
    switch (choice.format) {
    case InputFormat::Markdown: {
        InputText const file = readWhole(input);
        formats::ReadDocument document = formats::MarkdownReader::read(file.text());
        requireUnchanged(file, input);
        return document;
    }
    case InputFormat::PandocAst: {
        InputText const file = readWhole(input);
        formats::ReadDocument document = readAst(file.text(), input, true);
        requireUnchanged(file, input);
        // While the text is at hand: what the build says of an element is then placed at its line.
        formats::PandocReader::placeLines(file.text(), document.places);
        return document;
    }
    default: break;
    }
    Pandoc const pandoc(program);
    std::string const& from = choice.pandocName;
    if (!pandoc.program()) {
        throw ForeignInputError(needsPandoc(from, "input"));
    }
    // pandoc reads a file itself (Word files are archives: no text to hand over); standard input
    // is passed on.
    std::vector<std::string> arguments = {"--from=" + from, "--to=json"};
    std::string stdinText;
    if (input == "-") {
        InputText const file = readWhole(input);
        stdinText.assign(file.text());
    } else {
        InputText const file = InputText::read(input, InputText::Content::Text); // cannot read: said as for JSON
        arguments.push_back("--");
        arguments.push_back(input);
    }
    Pandoc::Run const run = pandoc.run(arguments, stdinText);
    if (run.status != 0) {
        throw ForeignInputError(printableName(input) + ": pandoc could not read " + from + ": " +
                                Pandoc::failureOf(run));
    }
    // The AST was made by pandoc: its pointers place things, its lines would mean nothing.
    formats::ReadDocument document = readAst(run.output, input, false);
    for (auto const& warning : Pandoc::warningsIn(run.errors)) {
        document.warn({}, "pandoc: " + warning);
    }
    return document;
}

} // namespace richmarkup::tool
