// richmarkup._richmarkup: the extension under the richmarkup package, which re-exports it and
// adds the exception classes.
#include "ConvertFunctions.hpp"
#include "DiagnosticBinding.hpp"
#include "DocumentBinding.hpp"
#include "ErrorMapping.hpp"
#include "LineConversion.hpp"
#include "NodeHandle.hpp"

#include <pybind11/pybind11.h>

namespace py = pybind11;

PYBIND11_MODULE(_richmarkup, module) {
    module.doc() = "The C++ part of richmarkup: use the richmarkup package, which re-exports it.";
    // The classes are richmarkup.Node, ..., as help(), repr() and pickle know them: they take
    // their module from the module's name while they are made.
    py::object const ownName = module.attr("__name__");
    module.attr("__name__") = "richmarkup";
    richmarkup::python::bindDiagnostic(module);
    richmarkup::python::bindNode(module);
    richmarkup::python::bindDocument(module);
    richmarkup::python::bindConvertFunctions(module);
    richmarkup::python::LineConversion::bind(module);
    module.attr("__name__") = ownName;
    richmarkup::python::translateUnexpectedExceptions();
}
