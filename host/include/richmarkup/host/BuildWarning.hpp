#pragma once

#include <cstddef>
#include <string>

namespace richmarkup::host {

/// Something of the document that was left out of the model; the build went on.
struct BuildWarning {
    /// The top-level element it concerns, counted from 1.
    std::size_t elementNumber = 0;
    /// What happened, e.g. `no builder for className "X"; skipped`.
    std::string message;
    /// Where in the document: an RFC 6901 pointer to the value concerned ("/0/children/1/level"),
    /// or to the object that lacks a key.
    std::string pointer;
};

} // namespace richmarkup::host
