#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace richmarkup::tool {

/// How many of an input's warnings are shown: the first `limit` (0: all), then one line that
/// counts the rest, as compilers do with -fmax-errors. A million warnings on a terminal help
/// nobody, and writing them can take longer than the build.
class WarningLimit {
public:
    explicit WarningLimit(std::size_t limit) noexcept : limit_(limit) {}

    /// Whether the next warning is shown; one that is not is counted.
    bool admit() noexcept {
        if (limit_ == 0 || shown_ < limit_) {
            ++shown_;
            return true;
        }
        ++left_;
        return false;
    }

    /// The line that counts the warnings not shown, if any ("warning: FILE: N more warnings not
    /// shown; --max-warnings 0 shows them all"); `errors`: they were errors (--strict).
    std::optional<std::string> summary(std::string const& printableFile, bool errors) const;

    std::size_t left() const noexcept { return left_; }

private:
    std::size_t limit_;
    std::size_t shown_ = 0;
    std::size_t left_ = 0;
};

} // namespace richmarkup::tool
