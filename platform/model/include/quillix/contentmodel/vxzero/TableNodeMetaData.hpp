#pragma once

#include <optional>
#include <utility>
#include <vector>

namespace quillix::contentmodel::vxzero {

/// A table's header flag and column widths. Each field remembers whether it was set.
class TableNodeMetaData {
public:
    TableNodeMetaData& setHasHeader(bool value) {
        hasHeader_ = value;
        return *this;
    }
    TableNodeMetaData& setColumnWidths(std::vector<long long> widths) {
        columnWidths_ = std::move(widths);
        return *this;
    }
    /// The column widths to fill in place; asking for them marks them as set, even if they
    /// stay empty.
    std::vector<long long>& getColumnWidthsMutable() {
        if (!columnWidths_) {
            columnWidths_.emplace();
        }
        return *columnWidths_;
    }

    std::optional<bool> const& getHasHeader() const noexcept { return hasHeader_; }
    std::optional<std::vector<long long>> const& getColumnWidths() const noexcept { return columnWidths_; }

    friend bool operator==(TableNodeMetaData const& a, TableNodeMetaData const& b) noexcept {
        return a.hasHeader_ == b.hasHeader_ && a.columnWidths_ == b.columnWidths_;
    }
    friend bool operator!=(TableNodeMetaData const& a, TableNodeMetaData const& b) noexcept { return !(a == b); }

private:
    std::optional<bool> hasHeader_;
    std::optional<std::vector<long long>> columnWidths_;
};

} // namespace quillix::contentmodel::vxzero
