#pragma once

#include "ArgumentTypes.hpp"

#include <richmarkup/host/LineConverter.hpp>

#include <pybind11/pybind11.h>

#include <cstddef>
#include <optional>
#include <string>

namespace richmarkup::python {

/// convert_lines()'s iterator: one output line per non-blank input line, converted as it is asked
/// for, through the LineConverter richmarkup-build -f jsonl uses, so that both agree byte for byte.
class LineConversion {
public:
    LineConversion(LinesArgument lines, host::LineConverter::LineWriter writer, std::string name, bool strict,
                   std::size_t firstLine, pybind11::object onWarning);

    /// The next document's line; StopIteration at the end of the input.
    pybind11::str next();

    static void bind(pybind11::module_& module);

private:
    pybind11::iterator lines_;
    host::LineConverter::LineWriter writer_;
    std::string name_;
    bool strict_;
    std::size_t number_; // of the next line
    pybind11::object onWarning_;
    // Made with the first document: the host starts then, not when the iterator is made.
    std::optional<host::LineConverter> converter_;
    bool running_ = false;
};

} // namespace richmarkup::python
