#include <vx/zero/Exception.hpp>

namespace vx::zero {
namespace {

std::string describe(std::string const& catalog, std::string const& messageId,
                     std::vector<std::string> const& arguments) {
    std::string text = catalog + "/" + messageId + ": ";
    std::string const first = arguments.empty() ? std::string("an element") : arguments.front();
    if (messageId == messages::cannotCastIncompatibleTypes) {
        text += "cannot cast " + first + " to an element of this model";
    } else if (messageId == messages::cannotContainItself) {
        text += first + " cannot be added inside itself";
    } else if (messageId == messages::elementHoldsNoChildren) {
        text += first + " holds no children";
    } else if (messageId == messages::operationAlreadyCommitted) {
        text += "the operation was already committed";
    } else {
        // An id without a text of its own still shows everything it was given.
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            text += (i == 0 ? "" : ", ") + arguments[i];
        }
    }
    return text;
}

} // namespace

Exception::Exception(std::string catalog, std::string messageId, std::vector<std::string> arguments)
    : std::runtime_error(describe(catalog, messageId, arguments)), catalog_(std::move(catalog)),
      messageId_(std::move(messageId)), arguments_(std::move(arguments)) {}

} // namespace vx::zero
