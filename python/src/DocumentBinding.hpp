#pragma once

#include "OutputWriter.hpp"
#include "ParsedDocument.hpp"

#include <pybind11/pybind11.h>

namespace richmarkup::python {

/// Writes the document without the GIL, then says the writer's warnings (raising the first as
/// BuildError when the document was read under strict) and gives the text.
pybind11::str writeReported(ParsedDocument const& document, OutputWriter const& writer);

/// richmarkup.Document (a ParsedDocument, shared by its nodes) and the walk over its nodes.
void bindDocument(pybind11::module_& module);

} // namespace richmarkup::python
