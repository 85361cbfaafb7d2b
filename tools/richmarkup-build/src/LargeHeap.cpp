#include "LargeHeap.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace richmarkup::tool {

std::string LargeHeap::tunablesFor(char const* current) {
    std::string value = current != nullptr ? current : "";
    if (value.find("glibc.malloc.hugetlb") != std::string::npos) {
        return std::string(); // the user's own choice, or this process was restarted already
    }
    // The heap grows 4 MiB beyond each need, so that another thread can map those pages before
    // the builders touch them; at most that much more stays mapped at the end.
    for (char const* setting : {"glibc.malloc.hugetlb=1", "glibc.malloc.top_pad=4194304"}) {
        std::string_view const name(setting, std::strchr(setting, '=') - setting);
        if (value.find(name) == std::string::npos) {
            value += (value.empty() ? "" : ":") + std::string(setting);
        }
    }
    return value;
}

bool LargeHeap::requested() noexcept {
    char const* tunables = std::getenv("GLIBC_TUNABLES");
    return tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb=1") != nullptr;
}

void LargeHeap::restartWithHugePagesIfLarge(std::vector<std::string> const& inputs, char** argv) {
    if (char const* setting = std::getenv("RICHMARKUP_HUGE_PAGES");
        setting != nullptr && std::strcmp(setting, "0") == 0) {
        return;
    }
    // The largest document counts: many small ones (a folder's worth) build small models.
    unsigned long long largest = 0;
    for (auto const& input : inputs) {
        struct stat status {};
        if (input != "-" && ::stat(input.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            largest = std::max(largest, static_cast<unsigned long long>(status.st_size));
        }
    }
    if (largest < threshold) {
        return;
    }
    std::string const tunables = tunablesFor(std::getenv("GLIBC_TUNABLES"));
    if (tunables.empty() || ::setenv("GLIBC_TUNABLES", tunables.c_str(), 1) != 0) {
        return;
    }
    ::execv("/proc/self/exe", argv);
    // No restart (no /proc, say): the setting stays for nobody, and the run goes on as it is.
}

} // namespace richmarkup::tool
