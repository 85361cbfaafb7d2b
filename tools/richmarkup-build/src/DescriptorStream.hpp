#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>
#include <vector>

namespace richmarkup::tool {

/// A stream buffer over an open file descriptor that remembers why a write failed: an ofstream
/// only says that it did, and errno is long gone by the time the caller asks. The descriptor
/// is not closed here.
class DescriptorBuffer : public std::streambuf {
public:
    explicit DescriptorBuffer(int fd, std::size_t size = 1 << 16);
    ~DescriptorBuffer() override;
    DescriptorBuffer(DescriptorBuffer const&) = delete;
    DescriptorBuffer& operator=(DescriptorBuffer const&) = delete;

    /// The errno of the first write that failed, 0 if none did.
    int error() const noexcept { return error_; }

    /// The reason a stream that went bad gives: its DescriptorBuffer's error if it writes
    /// through one, else 0.
    static int errorOf(std::ostream& stream) noexcept;

protected:
    int_type overflow(int_type c) override;
    int sync() override;
    std::streamsize xsputn(char const* data, std::streamsize count) override;

private:
    bool drain(char const* data, std::size_t count);

    int fd_;
    int error_ = 0;
    std::vector<char> buffer_;
};

/// An ostream writing through a DescriptorBuffer.
class DescriptorStream : public std::ostream {
public:
    explicit DescriptorStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }

private:
    DescriptorBuffer buffer_;
};

} // namespace richmarkup::tool
