#pragma once

#include <richmarkup/formats/Export.hpp>
#include <richmarkup/formats/ReadDocument.hpp>

#include <stdexcept>
#include <string>

namespace richmarkup::formats {

/// Input a reader cannot read at all (JSON that is no pandoc AST, malformed JSON): where and why.
class RICHMARKUP_FORMATS_EXPORT ReadError : public std::runtime_error {
public:
    ReadError(SourcePlace place, std::string const& message) : std::runtime_error(message), place_(std::move(place)) {}
    SourcePlace const& place() const noexcept { return place_; }

private:
    SourcePlace place_;
};

} // namespace richmarkup::formats
