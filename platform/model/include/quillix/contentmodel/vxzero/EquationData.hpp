#pragma once

#include <optional>
#include <string>
#include <utility>

namespace quillix::contentmodel::vxzero {

/// How an equation is shown. Each field remembers whether it was set.
class EquationData {
public:
    EquationData& setDisplayStyle(bool value) {
        displayStyle_ = value;
        return *this;
    }
    EquationData& setEncoding(std::u16string const& value) {
        encoding_ = value;
        return *this;
    }
    EquationData& setEncoding(std::u16string&& value) {
        encoding_ = std::move(value);
        return *this;
    }
    EquationData& setAltText(std::u16string const& value) {
        altText_ = value;
        return *this;
    }
    EquationData& setAltText(std::u16string&& value) {
        altText_ = std::move(value);
        return *this;
    }

    std::optional<bool> const& getDisplayStyle() const noexcept { return displayStyle_; }
    std::optional<std::u16string> const& getEncoding() const noexcept { return encoding_; }
    std::optional<std::u16string> const& getAltText() const noexcept { return altText_; }

    friend bool operator==(EquationData const& a, EquationData const& b) noexcept {
        return a.displayStyle_ == b.displayStyle_ && a.encoding_ == b.encoding_ && a.altText_ == b.altText_;
    }
    friend bool operator!=(EquationData const& a, EquationData const& b) noexcept { return !(a == b); }

private:
    std::optional<bool> displayStyle_;
    std::optional<std::u16string> encoding_;
    std::optional<std::u16string> altText_;
};

} // namespace quillix::contentmodel::vxzero
