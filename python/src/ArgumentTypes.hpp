#pragma once

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

// The Python types of the module's arguments and results that pybind11 has no name for, so that
// help() and the signatures show "text: str | bytes" and "-> Iterator[str]" rather than "object".

namespace richmarkup::python {

/// A document's text as the caller gave it, str or bytes, as the bytes the readers take: a str
/// in UTF-8, a bytes object as it is (the JSON reader says where it is no UTF-8).
struct TextArgument {
    std::string bytes;
};

/// The bytes of a str (UTF-8; a lone surrogate is kept as its three bytes, which the JSON reader
/// then refuses at its place) or of a bytes or bytearray object; nullopt for any other object.
std::optional<std::string> textBytes(pybind11::handle object);

/// An iterable of lines, held as its iterator.
struct LinesArgument {
    pybind11::iterator lines;
};

/// A callable that hears each warning's Diagnostic, or None.
struct WarningCallback {
    pybind11::object callback = pybind11::none();
};

/// An iterator given back: of str, or of Node.
template <class Item>
struct IteratorResult {
    pybind11::iterator items;
};
struct StrItem;
struct NodeItem;

} // namespace richmarkup::python

namespace pybind11::detail {

template <>
struct type_caster<richmarkup::python::TextArgument> {
    PYBIND11_TYPE_CASTER(richmarkup::python::TextArgument, const_name("str | bytes"));

    bool load(handle source, bool) {
        auto bytes = richmarkup::python::textBytes(source);
        if (!bytes) {
            return false;
        }
        value.bytes = std::move(*bytes);
        return true;
    }
};

template <>
struct type_caster<richmarkup::python::LinesArgument> {
    PYBIND11_TYPE_CASTER(richmarkup::python::LinesArgument, const_name("Iterable[str | bytes]"));

    bool load(handle source, bool) {
        if (PyUnicode_Check(source.ptr()) || PyBytes_Check(source.ptr())) {
            // Iterable, but by characters: the text meant is one document a line.
            throw type_error("lines must be an iterable of lines, not one text: pass a file object or "
                             "text.split(\"\\n\")");
        }
        PyObject* lines = PyObject_GetIter(source.ptr());
        if (lines == nullptr) {
            PyErr_Clear();
            return false;
        }
        value.lines = reinterpret_steal<iterator>(lines);
        return true;
    }
};

template <>
struct type_caster<richmarkup::python::WarningCallback> {
    PYBIND11_TYPE_CASTER(richmarkup::python::WarningCallback, const_name("Optional[Callable[[Diagnostic], object]]"));

    bool load(handle source, bool) {
        if (!source.is_none() && PyCallable_Check(source.ptr()) == 0) {
            return false;
        }
        value.callback = reinterpret_borrow<object>(source);
        return true;
    }
};

template <>
struct type_caster<richmarkup::python::IteratorResult<richmarkup::python::StrItem>> {
    PYBIND11_TYPE_CASTER(richmarkup::python::IteratorResult<richmarkup::python::StrItem>, const_name("Iterator[str]"));

    static handle cast(richmarkup::python::IteratorResult<richmarkup::python::StrItem> result, return_value_policy,
                       handle) {
        return result.items.release();
    }
};

template <>
struct type_caster<richmarkup::python::IteratorResult<richmarkup::python::NodeItem>> {
    PYBIND11_TYPE_CASTER(richmarkup::python::IteratorResult<richmarkup::python::NodeItem>,
                         const_name("Iterator[Node]"));

    static handle cast(richmarkup::python::IteratorResult<richmarkup::python::NodeItem> result, return_value_policy,
                       handle) {
        return result.items.release();
    }
};

} // namespace pybind11::detail
