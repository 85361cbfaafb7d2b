#pragma once

#include <richmarkup/host/Diagnostic.hpp>

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

namespace richmarkup::python {

/// The exception classes of the package (richmarkup/__init__.py) that carry a diagnostic.
enum class ErrorClass { InputError, BuildError };

/// Raises richmarkup.InputError or BuildError for `diagnostic`. Needs the GIL.
[[noreturn]] void raiseError(ErrorClass error, host::Diagnostic const& diagnostic);

/// Says the diagnostics in order: each warning with warnings.warn(str(d), ConversionWarning), or to
/// `onWarning(d)` when that is given; the first error is raised as `error`. Needs the GIL. A
/// warnings filter that makes warnings errors raises from here.
void report(std::vector<host::Diagnostic> const& diagnostics, ErrorClass error,
            pybind11::object const& onWarning = pybind11::none());

/// Issues `message` with warnings.warn(message, ConversionWarning). Needs the GIL.
void warn(std::string const& message);

/// Turns the C++ exceptions this module does not expect into RuntimeError (MemoryError for lack
/// of memory) with their message, for this module's functions only.
void translateUnexpectedExceptions();

} // namespace richmarkup::python
