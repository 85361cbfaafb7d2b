#pragma once

#include <stdexcept>
#include <string>

namespace richmarkup::test {

/// The message of the exception of type E that f throws, or "no error"; any other
/// exception passes through, so a test also notices a throw of the wrong type.
template <class E = std::runtime_error, class F>
std::string errorOf(F&& f) {
    try {
        f();
    } catch (E const& e) {
        return e.what();
    }
    return "no error";
}

} // namespace richmarkup::test
