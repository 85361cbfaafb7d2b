#pragma once

#include <richmarkup/shared/logging/Export.hpp>

#include <boost/log/attributes/attribute_set.hpp>
#include <boost/log/attributes/mutable_constant.hpp>
#include <boost/log/core/core.hpp>
#include <boost/log/core/record.hpp>

#include <atomic>
#include <mutex>

namespace foundation::log {

/// Severity levels are bit values, so a set of enabled levels is one mask.
namespace level {
inline constexpr unsigned error = 1;
inline constexpr unsigned warning = 2;
inline constexpr unsigned info = 4;
inline constexpr unsigned debug = 8;
inline constexpr unsigned trace = 16;
} // namespace level

/// A logger on the Boost.Log core with a mask of enabled levels. The mask is tested
/// without a lock, so a disabled record costs one load and one branch; opening a
/// record takes the exclusive lock, because the severity attribute is shared state.
template <class CharT>
class RICHMARKUP_LOG_EXPORT basic_diagnostic_logger {
public:
    using char_type = CharT;
    using mutex_type = std::mutex;
    using severity_attribute = boost::log::attributes::mutable_constant<int>;

    basic_diagnostic_logger();
    basic_diagnostic_logger(basic_diagnostic_logger const&) = delete;
    basic_diagnostic_logger& operator=(basic_diagnostic_logger const&) = delete;

    /// True when any bit of `levelBits` is enabled.
    bool isEnabled(unsigned levelBits) const noexcept {
        return (mask_.load(std::memory_order_relaxed) & levelBits) != 0;
    }
    void enable(unsigned levelBits) noexcept { mask_.fetch_or(levelBits, std::memory_order_relaxed); }
    void disable(unsigned levelBits) noexcept { mask_.fetch_and(~levelBits, std::memory_order_relaxed); }
    void setMask(unsigned mask) noexcept { mask_.store(mask, std::memory_order_relaxed); }
    unsigned mask() const noexcept { return mask_.load(std::memory_order_relaxed); }

    /// The exclusive lock to hold while the severity is set and a record is opened.
    mutex_type& mutex() const noexcept { return mutex_; }
    boost::log::attribute_set& attributes() noexcept { return attributes_; }
    boost::log::attribute_set const& attributes() const noexcept { return attributes_; }
    boost::log::core_ptr const& core() const noexcept { return core_; }

    /// Sets the severity the next opened record carries. Call under `mutex()`.
    void setSeverity(int severity) {
        // Setting makes a new attribute value (an allocation): skip it when nothing changes,
        // which is every record but the first at a level.
        if (severity != severityValue_) {
            severity_.set(severity);
            severityValue_ = severity;
        }
    }
    /// Opens a record with the logger's attributes; empty when the core's filters reject it.
    /// Call under `mutex()`.
    boost::log::record openRecord() { return core_->open_record(attributes_); }

private:
    std::atomic<unsigned> mask_{0};
    mutable mutex_type mutex_;
    boost::log::core_ptr core_;
    severity_attribute severity_;
    int severityValue_ = 0; // what severity_ holds; guarded by mutex_ as severity_ is
    boost::log::attribute_set attributes_;
};

extern template class basic_diagnostic_logger<char>;

using diagnostic_logger = basic_diagnostic_logger<char>;

/// Name of the severity attribute every record carries (an int).
inline constexpr char const* severityAttributeName = "Severity";

} // namespace foundation::log
