#include "ConvertFunctions.hpp"

#include "ArgumentTypes.hpp"
#include "DocumentBinding.hpp"
#include "ErrorMapping.hpp"
#include "GilHandling.hpp"
#include "ParsedDocument.hpp"
#include "WriterArguments.hpp"

#include <memory>
#include <stdexcept>
#include <string>

namespace richmarkup::python {

namespace py = pybind11;

namespace {

InputFormat inputFormatNamed(std::string const& from) {
    if (auto const format = ParsedDocument::inputNamed(from)) {
        return *format;
    }
    throw py::value_error("unknown input format " + py::repr(py::str(from)).cast<std::string>() +
                          "; choose richtext (json), markdown (md) or pandoc; JSON Lines: convert_lines()");
}

std::shared_ptr<ParsedDocument> parsed(TextArgument text, std::string name, bool strict, std::string const& from) {
    InputFormat const format = inputFormatNamed(from);
    ParsedDocument::Outcome const outcome =
        withoutGil([&] { return ParsedDocument::read(std::move(text.bytes), std::move(name), format, strict); });
    report(outcome.diagnostics,
           outcome.failure == ParsedDocument::Failure::Input ? ErrorClass::InputError : ErrorClass::BuildError);
    if (!outcome.document) {
        throw std::logic_error("the conversion failed without saying why");
    }
    return outcome.document;
}

py::str converted(TextArgument text, std::string const& to, std::string name, bool strict, std::string const& from,
                  py::kwargs const& options) {
    // The options are checked before anything is converted: a wrong one says so at once.
    OutputFormat const format = outputFormatNamed(to);
    OutputWriter const writer(format, writerSettings(format, options));
    return writeReported(*parsed(std::move(text), std::move(name), strict, from), writer);
}

} // namespace

void bindConvertFunctions(py::module_& module) {
    module.def(
        "convert", &converted, py::arg("text"), py::arg("to") = "html", py::arg("name") = "<string>",
        py::arg("strict") = false, py::arg("from_") = "richtext",
        "Converts a document and gives it written in another format: exactly what\n"
        "`richmarkup-build -f FROM -t TO [options]` writes for that text.\n\n"
        "text: the document, str or bytes (UTF-8).\n"
        "to: \"html\", \"markdown\" (\"md\"), \"json\", \"tree\", \"richtext\" or \"pandoc\" (pandoc's JSON AST).\n"
        "name: what diagnostics call the input; an HTML page without a heading is titled with its\n"
        "    file name.\n"
        "strict: every warning is an error: the first one raises BuildError.\n"
        "from_: \"richtext\" (rich-text JSON), \"markdown\" or \"pandoc\" (pandoc's JSON AST).\n"
        "**writer_options: html: title=None, fragment=False, css=None, math=None (see\n"
        "    Document.to_html); json and richtext:\n"
        "    compact=False; pandoc: api=\"1.23\" (or \"1.22\"). An option the format does not take\n"
        "    raises TypeError.\n\n"
        "The build's and the writer's warnings are issued with warnings.warn(str(diagnostic),\n"
        "ConversionWarning). Raises InputError for input that cannot be read or is no document,\n"
        "BuildError when a builder fails, ValueError for an unknown format.");
    module.def(
        "parse",
        [](TextArgument text, std::string name, bool strict, std::string const& from) {
            return parsed(std::move(text), std::move(name), strict, from);
        },
        py::arg("text"), py::arg("name") = "<string>", py::arg("strict") = false, py::arg("from_") = "richtext",
        "Builds a document into a model of its own and gives it as a Document, to walk its nodes or\n"
        "write it in several formats.\n\n"
        "text, name, strict and from_ as for convert(). The build's warnings are issued as convert()\n"
        "issues them and kept in Document.diagnostics. Raises InputError or BuildError as convert().");
}

} // namespace richmarkup::python
