#pragma once

#include <foundation/json/Parser.hpp>

#include <cstddef>
#include <string>
#include <string_view>

namespace richmarkup::tool {

/// The text of one input file, as cheaply as the system gives it: a regular file is mapped
/// (its pages come straight from the page cache, neither copied nor zeroed first), anything
/// else is read. Move-only; the mapping ends with the object.
class InputText {
public:
    /// Throws std::runtime_error("cannot read PATH: why").
    static InputText read(std::string const& path);

    InputText(InputText&& other) noexcept;
    InputText& operator=(InputText&& other) noexcept;
    ~InputText();

    std::string_view text() const noexcept { return text_; }
    /// The text for a parser that writes into it while it reads it and leaves it as it was:
    /// a mapping is private, so nothing reaches the file.
    foundation::json::WritableText writable() noexcept {
        char* const data = mapping_ != nullptr ? static_cast<char*>(mapping_) : owned_.data();
        return {data, text_.size(), readableBeyondEnd_};
    }

private:
    InputText() = default;
    void unmap() noexcept;

    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    std::string owned_;
    std::string_view text_;
    std::size_t readableBeyondEnd_ = 0;
};

} // namespace richmarkup::tool
