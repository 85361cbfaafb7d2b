#pragma once

#include <optional>
#include <string>

#include <sys/types.h>

namespace richmarkup::tool {

/// Which file a path names, by device and inode, so that two spellings of one file ("doc.json",
/// "./doc.json", a link to it, a hard link) are found to be one.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;

    /// The file `path` names, links followed ("-": standard input); none if there is none yet.
    static std::optional<FileIdentity> of(std::string const& path);

    /// Whether two paths name one place: one existing file, or one path yet to be made.
    static bool samePlace(std::string const& a, std::string const& b);

    bool operator==(FileIdentity const& other) const noexcept { return device == other.device && inode == other.inode; }
};

} // namespace richmarkup::tool
