#include "ErrorMapping.hpp"

#include "GilHandling.hpp"

#include <exception>
#include <new>

namespace richmarkup::python {

namespace py = pybind11;

namespace {

// The package's own classes, defined in Python; it is imported whenever this module is.
py::object packageClass(char const* name) { return py::module_::import("richmarkup").attr(name); }

// callable(argument), which may run Python code.
py::object called(py::handle callable, py::handle argument) {
    PyObject* const result = exitSafe([&] { return PyObject_CallOneArg(callable.ptr(), argument.ptr()); });
    if (result == nullptr) {
        throw py::error_already_set();
    }
    return py::reinterpret_steal<py::object>(result);
}

} // namespace

void raiseError(ErrorClass error, host::Diagnostic const& diagnostic) {
    py::object const type = packageClass(error == ErrorClass::InputError ? "InputError" : "BuildError");
    py::object const instance = called(type, py::cast(diagnostic));
    PyErr_SetObject(type.ptr(), instance.ptr());
    throw py::error_already_set();
}

void report(std::vector<host::Diagnostic> const& diagnostics, ErrorClass error, py::object const& onWarning) {
    py::object category;
    for (auto const& diagnostic : diagnostics) {
        if (diagnostic.severity == host::Diagnostic::Severity::Error) {
            raiseError(error, diagnostic);
        }
        if (!onWarning.is_none()) {
            called(onWarning, py::cast(diagnostic));
            continue;
        }
        if (!category) {
            category = packageClass("ConversionWarning");
        }
        std::string const message = diagnostic.toString();
        // Stack level 1: the caller's line, this module's functions having no frame of their own.
        if (exitSafe([&] { return PyErr_WarnEx(category.ptr(), message.c_str(), 1); }) != 0) {
            throw py::error_already_set();
        }
    }
}

void warn(std::string const& message) {
    py::object const category = packageClass("ConversionWarning");
    if (exitSafe([&] { return PyErr_WarnEx(category.ptr(), message.c_str(), 1); }) != 0) {
        throw py::error_already_set();
    }
}

void translateUnexpectedExceptions() {
    py::register_local_exception_translator([](std::exception_ptr thrown) {
        try {
            std::rethrow_exception(thrown);
        } catch (py::builtin_exception const&) {
            throw; // ValueError, TypeError, ... raised on purpose: pybind11's own translator
        } catch (std::bad_alloc const&) {
            PyErr_SetString(PyExc_MemoryError, "out of memory");
        } catch (std::exception const& e) {
            PyErr_SetString(PyExc_RuntimeError, e.what());
        }
    });
}

} // namespace richmarkup::python
