#include "PandocNeeded.hpp"

namespace richmarkup::tool {

std::string needsPandoc(std::string_view what, std::string_view direction) {
    std::string message = std::string(what) + ' ' + std::string(direction) + " needs pandoc (apt-get install pandoc)";
    if (direction == "output") {
        message += ", or write -t pandoc and convert it yourself";
    }
    return message;
}

} // namespace richmarkup::tool
