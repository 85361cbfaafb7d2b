#include "InputText.hpp"

#include <fstream>
#include <iterator>

namespace richmarkup::tool {

InputText::InputText(std::string path, std::optional<std::string> keptText)
    : path_(std::move(path)), text_(std::move(keptText)) {}

std::string InputText::position(std::string const& pointer) {
    if (!locator_) {
        if (!text_) {
            std::ifstream in(path_, std::ios::binary);
            text_.emplace(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        locator_.emplace(*text_);
    }
    auto const found = locator_->locate(pointer);
    return found ? std::to_string(found->line) + ":" + std::to_string(found->column) : std::string("1:1");
}

} // namespace richmarkup::tool
