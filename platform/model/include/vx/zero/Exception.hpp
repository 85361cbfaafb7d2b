#pragma once

#include <vx/zero/Export.hpp>

#include <stdexcept>
#include <string>
#include <vector>

namespace vx::zero {

/// The model framework's error: a message id in a catalog, with its arguments. what() reads
/// "<catalog>/<message id>: <text>".
class RICHMARKUP_MODEL_EXPORT Exception : public std::runtime_error {
public:
    Exception(std::string catalog, std::string messageId, std::vector<std::string> arguments);

    std::string const& catalog() const noexcept { return catalog_; }
    std::string const& messageId() const noexcept { return messageId_; }
    std::vector<std::string> const& arguments() const noexcept { return arguments_; }

private:
    std::string catalog_;
    std::string messageId_;
    std::vector<std::string> arguments_;
};

/// The catalog of the model framework's messages, and its message ids.
namespace messages {
inline constexpr char const* catalog = "vx0:messages";
/// An element of another model was offered; argument: its qualified type name.
inline constexpr char const* cannotCastIncompatibleTypes = "CannotCastIncompatibleTypes";
/// A node was offered to its own child sequence or one below it; argument: its type name.
inline constexpr char const* cannotContainItself = "CannotContainItself";
/// A child was offered to a node kind without children; argument: the owner's type name.
inline constexpr char const* elementHoldsNoChildren = "ElementHoldsNoChildren";
/// An operation was used again after its commit.
inline constexpr char const* operationAlreadyCommitted = "OperationAlreadyCommitted";
} // namespace messages

} // namespace vx::zero
