#pragma once

#include <pybind11/pybind11.h>

namespace richmarkup::python {

/// richmarkup.Diagnostic: a host::Diagnostic, read-only, by value.
void bindDiagnostic(pybind11::module_& module);

} // namespace richmarkup::python
