#include "ArgumentTypes.hpp"

namespace richmarkup::python {

namespace py = pybind11;

std::optional<std::string> textBytes(py::handle object) {
    if (PyBytes_Check(object.ptr())) {
        return std::string(PyBytes_AS_STRING(object.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(object.ptr())));
    }
    if (PyByteArray_Check(object.ptr())) {
        return std::string(PyByteArray_AS_STRING(object.ptr()),
                           static_cast<std::size_t>(PyByteArray_GET_SIZE(object.ptr())));
    }
    if (!PyUnicode_Check(object.ptr())) {
        return std::nullopt;
    }
    Py_ssize_t size = 0;
    if (char const* utf8 = PyUnicode_AsUTF8AndSize(object.ptr(), &size)) {
        return std::string(utf8, static_cast<std::size_t>(size));
    }
    // Only a lone surrogate stops UTF-8; passed on, it becomes a located error of the reader
    // rather than an exception that says nothing of where it stands.
    PyErr_Clear();
    auto const encoded =
        py::reinterpret_steal<py::object>(PyUnicode_AsEncodedString(object.ptr(), "utf-8", "surrogatepass"));
    if (!encoded) {
        throw py::error_already_set();
    }
    return std::string(PyBytes_AS_STRING(encoded.ptr()), static_cast<std::size_t>(PyBytes_GET_SIZE(encoded.ptr())));
}

} // namespace richmarkup::python
