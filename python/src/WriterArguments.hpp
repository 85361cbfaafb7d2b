#pragma once

#include "OutputWriter.hpp"

#include <pybind11/pybind11.h>

#include <optional>
#include <string>

namespace richmarkup::python {

/// The format `to` names; ValueError naming the choices for any other name.
OutputFormat outputFormatNamed(std::string const& to);

/// A writer's keyword options as convert() takes them. TypeError for an option the format does
/// not take or a value of the wrong type, ValueError for a value out of range.
WriterSettings writerSettings(OutputFormat format, pybind11::kwargs const& options);

/// The options of an HTML page; ValueError for a stylesheet address no page may link or an unknown
/// math mode, RuntimeError for math="mathml" with no converter. No `math`: MathML where there is a
/// converter, else the TeX, with one ConversionWarning a process.
WriterSettings htmlSettings(std::optional<std::string> title, bool fragment, std::optional<std::string> css,
                            std::optional<std::string> const& math);

/// The AST version "1.22" or "1.23"; ValueError for another.
WriterSettings pandocSettings(std::string const& api);

} // namespace richmarkup::python
