#pragma once

#include "MappingGuard.hpp"

#include <foundation/json/Parser.hpp>

#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace richmarkup::tool {

/// The text of one input file, as cheaply as the system gives it: a regular file is mapped
/// (its pages come straight from the page cache, neither copied nor zeroed first), anything
/// else is read. Move-only; the mapping ends with the object.
///
/// JSON whose first byte (after blanks) can start no JSON value is not read further: a few
/// KiB of it are enough for the parser to say where it fails, and /dev/zero never ends. Text
/// of another format (Markdown) is read whole.
class InputText {
public:
    enum class Content { Json, Text };
    /// Throws std::runtime_error("cannot read PATH: why").
    static InputText read(std::string const& path, Content content = Content::Json);
    /// Standard input, read until its end (or its first bytes, as above).
    static InputText readStandardInput(Content content = Content::Json);

    /// Whether the file changed while it was read: cut short under the mapping (the
    /// missing part read as zeros), or written to since it was opened.
    bool changed() const;

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
    // Reads fd to its end into owned_, or stops after a first byte no JSON starts with.
    void readAll(int fd, std::string const& name, Content content);
    // Keeps only the opening of a text that no JSON starts like.
    void shortenHopelessText() noexcept;

    void* mapping_ = nullptr;
    std::size_t mappedBytes_ = 0;
    std::string owned_;
    std::string_view text_;
    std::size_t readableBeyondEnd_ = 0;
    std::optional<MappingGuard> guard_;
    int fd_ = -1; // kept open while mapped, to tell whether the file changed
    struct stat opened_ {};
};

} // namespace richmarkup::tool
