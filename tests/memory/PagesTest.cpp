#include <foundation/memory/Pages.hpp>

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace foundation::memory {
namespace {

// A private anonymous mapping of whole pages, as the parser's and the model's buffers are.
class Mapping {
public:
    explicit Mapping(std::size_t pages) : bytes_(pages * pageSize()) {
        void* const at = ::mmap(nullptr, bytes_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        data_ = at == MAP_FAILED ? nullptr : static_cast<unsigned char*>(at);
    }
    ~Mapping() {
        if (data_ != nullptr) {
            ::munmap(data_, bytes_);
        }
    }
    Mapping(Mapping const&) = delete;
    Mapping& operator=(Mapping const&) = delete;

    unsigned char* data() const noexcept { return data_; }
    std::size_t bytes() const noexcept { return bytes_; }
    unsigned char* page(std::size_t index) const noexcept { return data_ + index * pageSize(); }

    // How many of the pages the system holds in memory now.
    std::size_t residentPages() const {
        std::vector<unsigned char> resident(bytes_ / pageSize());
        if (::mincore(data_, bytes_, resident.data()) != 0) {
            return 0;
        }
        auto const isResident = [](unsigned char r) { return (r & 1) != 0; };
        return static_cast<std::size_t>(std::count_if(resident.begin(), resident.end(), isResident));
    }

private:
    std::size_t bytes_;
    unsigned char* data_;
};

// Each page's bytes: its number, so that a page lost or moved shows.
void fill(Mapping const& mapping, std::size_t pages) {
    for (std::size_t i = 0; i < pages; ++i) {
        std::memset(mapping.page(i), static_cast<int>(i + 1), pageSize());
    }
}

bool pageHolds(Mapping const& mapping, std::size_t index, unsigned char value) {
    unsigned char const* page = mapping.page(index);
    return std::all_of(page, page + pageSize(), [&](unsigned char c) { return c == value; });
}

// Linux maps pages on request from 5.14 on; older kernels must answer no, and change nothing.
bool kernelMapsOnRequest() {
    struct utsname name {};
    int major = 0;
    int minor = 0;
    return ::uname(&name) == 0 && std::sscanf(name.release, "%d.%d", &major, &minor) == 2 &&
           (major > 5 || (major == 5 && minor >= 14));
}

TEST(PagesTest, PageSizeIsTheSystemsAndWholePagesStayInsideTheRange) {
    std::size_t const page = pageSize();
    EXPECT_EQ(page, static_cast<std::size_t>(::getpagesize()));
    EXPECT_EQ(page & (page - 1), 0u);

    auto const* base = reinterpret_cast<unsigned char const*>(std::uintptr_t(64) * page);
    auto const at = [&](std::size_t offset) { return reinterpret_cast<std::uintptr_t>(base + offset); };
    PageRange const aligned = wholePages(base, 3 * page);
    EXPECT_EQ(aligned.begin, at(0));
    EXPECT_EQ(aligned.end, at(3 * page));
    // Pages shared with bytes outside the range are left out at both ends.
    PageRange const inner = wholePages(base + 1, 3 * page);
    EXPECT_EQ(inner.begin, at(page));
    EXPECT_EQ(inner.end, at(3 * page));
    EXPECT_EQ(inner.bytes(), 2 * page);
    // No whole page inside: nothing, not a range running backwards.
    EXPECT_EQ(wholePages(base + 10, page - 20).bytes(), 0u);
    EXPECT_EQ(wholePages(base + page - 1, 2).bytes(), 0u);
    EXPECT_EQ(wholePages(nullptr, 10 * page).bytes(), 0u);
    EXPECT_EQ(wholePages(base, 0).bytes(), 0u);
}

// Mapping ahead and huge-page advice change no byte, over pages written already and fresh ones
// alike; where the kernel maps on request, the pages are there afterwards.
TEST(PagesTest, PopulateAndAdviceKeepTheContents) {
    Mapping const mapping(64);
    ASSERT_NE(mapping.data(), nullptr);
    fill(mapping, 16);
    EXPECT_EQ(mapping.residentPages(), 16u);
    adviseHugePages(mapping.data(), mapping.bytes());
    bool const written = populate(mapping.data(), mapping.bytes(), FirstUse::Write);
    EXPECT_EQ(written, kernelMapsOnRequest());
    if (written) {
        EXPECT_EQ(mapping.residentPages(), 64u);
    }
    for (std::size_t i = 0; i < 64; ++i) {
        ASSERT_TRUE(pageHolds(mapping, i, static_cast<unsigned char>(i < 16 ? i + 1 : 0))) << "page " << i;
    }

    Mapping const read(8);
    ASSERT_NE(read.data(), nullptr);
    EXPECT_EQ(populate(read.data(), read.bytes(), FirstUse::Read), kernelMapsOnRequest());
    EXPECT_TRUE(pageHolds(read, 0, 0));
    // A range partly out of bounds is refused without harm (the caller then stops mapping
    // ahead), and the pages that may be written are still mapped when asked alone.
    Mapping const guarded(4);
    ASSERT_NE(guarded.data(), nullptr);
    ASSERT_EQ(::mprotect(guarded.page(2), 2 * pageSize(), PROT_NONE), 0);
    EXPECT_FALSE(populate(guarded.data(), guarded.bytes()));
    EXPECT_EQ(populate(guarded.data(), 2 * pageSize()), kernelMapsOnRequest());
}

long minorFaults() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt;
}

// What mapping ahead is for: the thread that then writes the pages stops for no page fault
// (64 of them without).
TEST(PagesTest, PagesMappedForWritingTakeTheirFirstWriteWithoutAFault) {
    if (!kernelMapsOnRequest()) {
        GTEST_SKIP() << "this kernel maps no pages on request";
    }
    // Compared with a fresh mapping's first writes, not with zero: a sanitizer's shadow memory
    // takes faults of its own for either.
    auto const firstWriteFaults = [](bool populated) {
        Mapping const mapping(64);
        EXPECT_NE(mapping.data(), nullptr);
        if (populated) {
            EXPECT_TRUE(populate(mapping.data(), mapping.bytes(), FirstUse::Write));
        }
        long const before = minorFaults();
        for (std::size_t i = 0; i < 64; ++i) {
            *mapping.page(i) = 1;
        }
        return minorFaults() - before;
    };
    long const fresh = firstWriteFaults(false);
    long const populated = firstWriteFaults(true);
    EXPECT_GE(fresh, 64);
    EXPECT_LT(populated * 4, fresh) << populated << " faults after populate, " << fresh << " without";
}

// Released pages read as zeros; the pages at the ends, shared with bytes outside the range,
// keep theirs.
TEST(PagesTest, ReleaseZeroesOnlyTheWholePagesInside) {
    Mapping const mapping(6);
    ASSERT_NE(mapping.data(), nullptr);
    fill(mapping, 6);
    std::size_t const page = pageSize();
    ASSERT_TRUE(release(mapping.data() + 100, 4 * page));
    EXPECT_EQ(mapping.residentPages(), 3u); // before any read maps the released ones again
    EXPECT_TRUE(pageHolds(mapping, 0, 1));
    for (std::size_t i = 1; i < 4; ++i) {
        EXPECT_TRUE(pageHolds(mapping, i, 0)) << "page " << i;
    }
    EXPECT_TRUE(pageHolds(mapping, 4, 5));
    EXPECT_TRUE(pageHolds(mapping, 5, 6));
    EXPECT_FALSE(release(mapping.data() + 1, page)); // no whole page in it
    EXPECT_TRUE(pageHolds(mapping, 0, 1));
}

TEST(PagesTest, HeapEndIsTheProgramBreak) {
    std::uintptr_t const end = heapEnd();
    EXPECT_NE(end, 0u);
    EXPECT_EQ(end, reinterpret_cast<std::uintptr_t>(::sbrk(0))); // no other thread allocates here
}

} // namespace
} // namespace foundation::memory
