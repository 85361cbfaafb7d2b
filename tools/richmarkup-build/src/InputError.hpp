#pragma once

#include <stdexcept>
#include <string>

namespace richmarkup::tool {

/// An input that cannot be read ("cannot read PATH: why"). A batch reports it as that input's
/// failure and goes on with the others; an output that cannot be written ends the run.
class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace richmarkup::tool
