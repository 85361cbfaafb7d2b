#pragma once

#include <optional>

namespace quillix::contentmodel::vxzero {

/// How a run of text is drawn. Each flag remembers whether it was set at all.
class Formatting {
public:
    Formatting& setBold(bool value) {
        bold_ = value;
        return *this;
    }
    Formatting& setItalic(bool value) {
        italic_ = value;
        return *this;
    }
    Formatting& setMonospace(bool value) {
        monospace_ = value;
        return *this;
    }
    Formatting& setUnderline(bool value) {
        underline_ = value;
        return *this;
    }

    std::optional<bool> const& getBold() const noexcept { return bold_; }
    std::optional<bool> const& getItalic() const noexcept { return italic_; }
    std::optional<bool> const& getMonospace() const noexcept { return monospace_; }
    std::optional<bool> const& getUnderline() const noexcept { return underline_; }

    friend bool operator==(Formatting const& a, Formatting const& b) noexcept {
        return a.bold_ == b.bold_ && a.italic_ == b.italic_ && a.monospace_ == b.monospace_ &&
               a.underline_ == b.underline_;
    }
    friend bool operator!=(Formatting const& a, Formatting const& b) noexcept { return !(a == b); }

private:
    std::optional<bool> bold_;
    std::optional<bool> italic_;
    std::optional<bool> monospace_;
    std::optional<bool> underline_;
};

} // namespace quillix::contentmodel::vxzero
