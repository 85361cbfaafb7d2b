#pragma once

#include <richmarkup/host/Export.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>

namespace richmarkup::host {

/// A builder threw while it checked or built a top-level element. what() is the builder's
/// exception text unchanged; the element is named by its number so the caller can point at it.
/// Only the text is kept: the exception object may belong to a bundle library, which must not
/// be referenced once the host is gone.
class RICHMARKUP_HOST_EXPORT ElementBuildError : public std::runtime_error {
public:
    ElementBuildError(std::size_t elementNumber, std::string const& message, std::string pointer = {},
                      std::string cause = {})
        : std::runtime_error(message), elementNumber_(elementNumber), pointer_(std::move(pointer)),
          cause_(std::move(cause)) {}

    /// The top-level element being built, counted from 1.
    std::size_t elementNumber() const noexcept { return elementNumber_; }
    /// Where in the document: an RFC 6901 pointer to the value the builders could not read, or
    /// to the object that lacks the key they need; else to the element.
    std::string const& pointer() const noexcept { return pointer_; }
    /// What the host found there (`"level" must be a double, not a string`), or empty.
    std::string const& cause() const noexcept { return cause_; }

private:
    std::size_t elementNumber_;
    std::string pointer_;
    std::string cause_;
};

} // namespace richmarkup::host
