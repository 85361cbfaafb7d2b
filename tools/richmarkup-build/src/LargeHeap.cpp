#include "LargeHeap.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace richmarkup::tool {

std::string LargeHeap::tunablesFor(char const* current) {
    std::string value = current != nullptr ? current : "";
    if (value.find("glibc.malloc.hugetlb") != std::string::npos) {
        return std::string();  // the user's own choice, or this process was restarted already
    }
    return value.empty() ? "glibc.malloc.hugetlb=1" : value + ":glibc.malloc.hugetlb=1";
}

bool LargeHeap::requested() noexcept {
    char const* tunables = std::getenv("GLIBC_TUNABLES");
    return tunables != nullptr && std::strstr(tunables, "glibc.malloc.hugetlb=1") != nullptr;
}

void LargeHeap::restartWithHugePagesIfLarge(std::vector<std::string> const& inputs, char** argv) {
    if (char const* setting = std::getenv("RICHMARKUP_HUGE_PAGES"); setting != nullptr && std::strcmp(setting, "0") == 0) {
        return;
    }
    unsigned long long total = 0;
    for (auto const& input : inputs) {
        struct stat status {};
        if (input != "-" && ::stat(input.c_str(), &status) == 0 && S_ISREG(status.st_mode)) {
            total += static_cast<unsigned long long>(status.st_size);
        }
    }
    if (total < threshold) {
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
