#pragma once

#include <atomic>
#include <cstddef>
#include <thread>
#include <vector>

namespace foundation::json::detail {

/// Maps the pages of buffers that a parse is about to fill, and of the text it reads, on a
/// thread of its own, so that the parsing thread is not stopped by a page fault at every 4 KiB
/// of fresh memory (on a large document over half of the parse). Mapping a page changes none of its bytes, so it
/// may run over pages the parser has written already, in any order.
///
/// Each range is mapped front to back, in the order given, up to its length: give lengths
/// that the parse will most likely use, since a page mapped and never used stays resident.
/// Does nothing where the system cannot map pages ahead.
class PagesAhead {
public:
    struct Range {
        void const* start;
        std::size_t bytes;
        bool forWriting = true; // else the pages are only read (the text itself)
    };

    /// The buffers must stay allocated until this object is gone.
    explicit PagesAhead(std::vector<Range> ranges);
    /// Stops after the chunk being mapped, and waits for that.
    ~PagesAhead();
    PagesAhead(PagesAhead const&) = delete;
    PagesAhead& operator=(PagesAhead const&) = delete;

    /// Whether mapping ahead pays for a document of `bytes`: a large one, with a second core.
    static bool worthwhile(std::size_t bytes) noexcept;

private:
    void run() noexcept;

    std::vector<Range> ranges_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace foundation::json::detail
