#pragma once

#include <pybind11/pybind11.h>

namespace richmarkup::python {

/// richmarkup.convert and richmarkup.parse.
void bindConvertFunctions(pybind11::module_& module);

} // namespace richmarkup::python
