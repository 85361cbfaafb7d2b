#include "ElementPhrases.hpp"

#include <richmarkup/formats/TextEscape.hpp>

#include <charconv>
#include <system_error>

namespace richmarkup::host::phrases {

std::string kindPhrase(foundation::json::Kind kind) {
    std::string const name = foundation::json::kindName(kind);
    if (kind == foundation::json::Kind::Null || kind == foundation::json::Kind::Undefined) {
        return name;
    }
    bool const vowel = std::string("aeiou").find(name.front()) != std::string::npos;
    return (vowel ? "an " : "a ") + name;
}

std::string skippedMessage(foundation::json::Value const& element) {
    std::string message = "no builder for className ";
    if (!element.isObject()) {
        message += "<none> (the element is ";
        message += kindPhrase(element.kind());
        message += ", not an object)";
    } else if (!element.hasOwnProperty("className")) {
        message += "<none>";
    } else if (foundation::json::Value const& name = element["className"]; name.isString()) {
        formats::text::appendQuoted(message, name.asString());
    } else {
        message += "<none> (className is ";
        message += kindPhrase(name.kind());
        message += ", not a string)";
    }
    message += "; skipped";
    return message;
}

namespace {

constexpr std::string_view kDuplicateStart = "duplicate key ";
constexpr std::string_view kDuplicateUnplaced = ": the last value is used, the others ignored";

bool endsWith(std::string const& text, std::string_view end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

std::string number(double value) {
    char buffer[32];
    auto const written = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, written.ptr);
}

std::string_view numberAt(std::string_view text, std::size_t offset) noexcept {
    std::size_t end = offset;
    while (end < text.size() && numberByte(text[end])) {
        ++end;
    }
    return text.substr(offset, end - offset);
}

std::string withNumberAsWritten(std::string message, std::string_view written) {
    double value = 0;
    auto const read = std::from_chars(written.data(), written.data() + written.size(), value);
    if (read.ec != std::errc() || read.ptr != written.data() + written.size()) {
        return message;
    }
    std::string const shown = number(value);
    if (shown == written) {
        return message;
    }
    // The first mention that stands as a number of its own, not inside a longer one.
    for (std::size_t at = message.find(shown); at != std::string::npos; at = message.find(shown, at + 1)) {
        std::size_t const end = at + shown.size();
        if ((at == 0 || !numberByte(message[at - 1])) && (end == message.size() || !numberByte(message[end]))) {
            return message.replace(at, shown.size(), written);
        }
    }
    return message;
}

std::string duplicateKey(std::string_view key) {
    std::string message(kDuplicateStart);
    formats::text::appendQuoted(message, key);
    message += kDuplicateUnplaced;
    return message;
}

bool isDuplicateKey(std::string const& message) {
    return message.compare(0, kDuplicateStart.size(), kDuplicateStart) == 0 && endsWith(message, kDuplicateUnplaced);
}

std::optional<std::string> duplicateKeyPlaced(std::string const& message, std::vector<std::string> const& places) {
    if (places.size() < 2 || !isDuplicateKey(message)) {
        return std::nullopt;
    }
    std::string out = message.substr(0, message.size() - kDuplicateUnplaced.size());
    out += ": the value at " + places.back() + " is used, the " + (places.size() == 2 ? "one" : "ones") + " at ";
    for (std::size_t i = 0; i + 1 < places.size(); ++i) {
        if (i > 0) {
            out += i + 2 == places.size() ? " and " : ", ";
        }
        out += places[i];
    }
    return out + " ignored";
}

} // namespace richmarkup::host::phrases
