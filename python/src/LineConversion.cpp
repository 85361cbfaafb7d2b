#include "LineConversion.hpp"

#include "ErrorMapping.hpp"
#include "GilHandling.hpp"
#include "OutputWriter.hpp"
#include "SharedHost.hpp"
#include "WriterArguments.hpp"

namespace richmarkup::python {

namespace py = pybind11;

namespace {

// No document: blanks only, as richmarkup-build -f jsonl passes over them.
bool blank(std::string const& line) { return line.find_first_not_of(" \t") == std::string::npos; }

void dropLineBreak(std::string& line) {
    if (!line.empty() && line.back() == '\n') {
        line.pop_back();
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
    }
}

} // namespace

LineConversion::LineConversion(LinesArgument lines, host::LineConverter::LineWriter writer, std::string name,
                               bool strict, std::size_t firstLine, py::object onWarning)
    : lines_(std::move(lines.lines)), writer_(std::move(writer)), name_(std::move(name)), strict_(strict),
      number_(firstLine), onWarning_(std::move(onWarning)) {}

py::str LineConversion::next() {
    // Two threads on one iterator would race for its lines and its converter, as a generator does.
    if (running_) {
        throw py::value_error("convert_lines iterator already executing");
    }
    running_ = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } const done{running_};
    for (;;) {
        auto const item = py::reinterpret_steal<py::object>(exitSafe([this] { return PyIter_Next(lines_.ptr()); }));
        if (!item) {
            if (PyErr_Occurred() != nullptr) {
                throw py::error_already_set();
            }
            throw py::stop_iteration();
        }
        std::size_t const number = number_++;
        auto text = textBytes(item);
        if (!text) {
            throw py::type_error("line " + std::to_string(number) + " of " + name_ + " is " +
                                 std::string(py::str(py::type::handle_of(item).attr("__name__"))) +
                                 ", not str or bytes");
        }
        dropLineBreak(*text);
        if (blank(*text)) {
            continue; // counted, but no document
        }
        host::LineOutcome outcome = withoutGil([&] {
            if (!converter_) {
                host::WarningPolicy policy;
                policy.strict = strict_;
                converter_.emplace(sharedHost(), policy, writer_);
            }
            return converter_->convert(*text, name_, number);
        });
        if (!strict_) {
            // The errors are the line's own: its error line says the first; under strict every
            // warning is one, and the line failed with the first of them.
            std::vector<host::Diagnostic> warnings;
            for (auto& diagnostic : outcome.diagnostics) {
                if (diagnostic.severity == host::Diagnostic::Severity::Warning) {
                    warnings.push_back(std::move(diagnostic));
                }
            }
            report(warnings, ErrorClass::BuildError, onWarning_);
        }
        return py::str(outcome.line);
    }
}

void LineConversion::bind(py::module_& module) {
    py::class_<LineConversion>(module, "_LineConversion")
        .def("__iter__", [](py::object const& self) { return self; })
        .def("__next__", &LineConversion::next);

    module.def(
        "convert_lines",
        [](LinesArgument lines, std::string const& to, std::string name, bool strict, std::size_t firstLine,
           WarningCallback onWarning) {
            OutputFormat const format = outputFormatNamed(to);
            auto writer = OutputWriter::lineWriter(format);
            if (!writer) {
                throw py::value_error("convert_lines writes JSON Lines: choose to=\"json\" or \"richtext\", not " +
                                      py::repr(py::str(to)).cast<std::string>());
            }
            if (firstLine == 0) {
                throw py::value_error("first_line counts from 1");
            }
            LineConversion conversion(std::move(lines), std::move(writer), std::move(name), strict, firstLine,
                                      std::move(onWarning.callback));
            return IteratorResult<StrItem>{py::iterator(py::cast(std::move(conversion)))};
        },
        py::arg("lines"), py::arg("to") = "json", py::arg("name") = "<lines>", py::arg("strict") = false,
        py::arg("first_line") = 1, py::arg("on_warning") = py::none(),
        "Converts JSON Lines, one document a line, as `richmarkup-build -f jsonl -t TO -j 1` does, lazily:\n"
        "each non-blank line (its trailing \"\\n\" or \"\\r\\n\" dropped) gives one output line without a line\n"
        "break, in order. A document that fails gives '{\"error\": \"NAME:LINE:COL: POINTER: message\"}' in\n"
        "its place; blank lines give nothing but are counted.\n\n"
        "lines: an iterable of str or bytes, one document each (a file object will do).\n"
        "to: \"json\" (the model JSON) or \"richtext\", the formats that write one document a line.\n"
        "name, first_line: what diagnostics call the input, and the number of its first line.\n"
        "strict: every warning is an error: the document fails with the first one.\n"
        "on_warning: called with each warning's Diagnostic; by default each is issued with\n"
        "    warnings.warn(str(diagnostic), ConversionWarning).");
}

} // namespace richmarkup::python
