#include "DiagnosticBinding.hpp"

#include <richmarkup/host/Diagnostic.hpp>

#include <functional>
#include <tuple>

namespace richmarkup::python {

namespace py = pybind11;
using host::Diagnostic;

namespace {

char const* severityName(Diagnostic::Severity severity) {
    return severity == Diagnostic::Severity::Error ? "error" : "warning";
}

// A field as text; should the input have put bytes that are no UTF-8 there, they read as U+FFFD
// rather than failing the attribute.
py::str text(std::string const& field) {
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(field.data(), static_cast<Py_ssize_t>(field.size()), "replace"));
}

auto fieldsOf(Diagnostic const& d) {
    return std::make_tuple(d.severity, std::cref(d.file), d.line, d.column, std::cref(d.pointer), std::cref(d.message),
                           d.malformed);
}

} // namespace

void bindDiagnostic(py::module_& module) {
    py::class_<Diagnostic>(module, "Diagnostic",
                           "One thing a conversion says about its input, located: how grave, where in which\n"
                           "input, and what. str() gives the line richmarkup-build prints for it.")
        .def_property_readonly(
            "severity", [](Diagnostic const& d) { return severityName(d.severity); },
            "\"warning\", or \"error\" (every warning is one under strict=True).")
        .def_property_readonly(
            "file", [](Diagnostic const& d) { return text(d.file); }, "The input as the conversion named it.")
        .def_readonly("line", &Diagnostic::line,
                      "The line where the value concerned starts, from 1; 0 where no line is meant: a\n"
                      "text that is no document as a whole, or an input with no lines to show (the\n"
                      "pointer places it).")
        .def_readonly("column", &Diagnostic::column, "The column, in bytes from 1 (0 with line 0).")
        .def_property_readonly(
            "pointer", [](Diagnostic const& d) { return text(d.pointer); },
            "RFC 6901 JSON pointer to the value concerned (\"\" for the whole document and\n"
            "for input that is no JSON).")
        .def_property_readonly(
            "message", [](Diagnostic const& d) { return text(d.message); }, "What happened.")
        .def("__str__", &Diagnostic::toString)
        .def("__repr__",
             [](Diagnostic const& d) {
                 return py::str("Diagnostic(severity={!r}, file={!r}, line={}, column={}, pointer={!r}, message={!r})")
                     .format(severityName(d.severity), text(d.file), d.line, d.column, text(d.pointer),
                             text(d.message));
             })
        .def("__eq__",
             [](Diagnostic const& a, py::object const& other) -> py::object {
                 if (!py::isinstance<Diagnostic>(other)) {
                     return py::reinterpret_borrow<py::object>(Py_NotImplemented);
                 }
                 return py::bool_(fieldsOf(a) == fieldsOf(other.cast<Diagnostic const&>()));
             })
        .def("__hash__",
             [](Diagnostic const& d) {
                 return py::hash(py::make_tuple(severityName(d.severity), text(d.file), d.line, d.column,
                                                text(d.pointer), text(d.message)));
             })
        // So that an exception carrying one crosses to another process (multiprocessing, dask).
        .def(py::pickle(
            [](Diagnostic const& d) {
                // The texts as bytes: whatever they hold comes back as it was.
                return py::make_tuple(severityName(d.severity), py::bytes(d.file), d.line, d.column,
                                      py::bytes(d.pointer), py::bytes(d.message), d.malformed);
            },
            [](py::tuple const& state) {
                if (state.size() != 7) {
                    throw py::value_error("a pickled Diagnostic holds 7 fields");
                }
                Diagnostic d;
                d.severity = state[0].cast<std::string>() == "error" ? Diagnostic::Severity::Error
                                                                     : Diagnostic::Severity::Warning;
                d.file = state[1].cast<std::string>();
                d.line = state[2].cast<std::size_t>();
                d.column = state[3].cast<std::size_t>();
                d.pointer = state[4].cast<std::string>();
                d.message = state[5].cast<std::string>();
                d.malformed = state[6].cast<bool>();
                return d;
            }));
}

} // namespace richmarkup::python
