#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

namespace richmarkup::host {

/// A builder threw while it checked or built a top-level element. what() is the builder's
/// exception text unchanged; the element is named by its number so the caller can point at it.
/// Only the text is kept: the exception object may belong to a bundle library, which must not
/// be referenced once the host is gone.
class ElementBuildError : public std::runtime_error {
public:
    ElementBuildError(std::size_t elementNumber, std::string const& message)
        : std::runtime_error(message), elementNumber_(elementNumber) {}

    /// The top-level element being built, counted from 1.
    std::size_t elementNumber() const noexcept { return elementNumber_; }

private:
    std::size_t elementNumber_;
};

} // namespace richmarkup::host
