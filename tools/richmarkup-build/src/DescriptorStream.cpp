#include "DescriptorStream.hpp"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace richmarkup::tool {

DescriptorBuffer::DescriptorBuffer(int fd, std::size_t size) : fd_(fd), buffer_(size) {
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

DescriptorBuffer::~DescriptorBuffer() { sync(); }

int DescriptorBuffer::errorOf(std::ostream& stream) noexcept {
    auto const* buffer = dynamic_cast<DescriptorBuffer const*>(stream.rdbuf());
    return buffer != nullptr ? buffer->error() : 0;
}

bool DescriptorBuffer::drain(char const* data, std::size_t count) {
    while (count > 0) {
        if (error_ != 0) {
            return false;
        }
        ssize_t const written = ::write(fd_, data, count);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            error_ = errno;
            return false;
        }
        if (written == 0) {
            error_ = EIO;
            return false;
        }
        data += written;
        count -= static_cast<std::size_t>(written);
    }
    return error_ == 0;
}

int DescriptorBuffer::sync() {
    std::size_t const pending = static_cast<std::size_t>(pptr() - pbase());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    return drain(buffer_.data(), pending) ? 0 : -1;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c) {
    if (sync() != 0) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

std::streamsize DescriptorBuffer::xsputn(char const* data, std::streamsize count) {
    auto const size = static_cast<std::size_t>(count);
    // Large pieces go straight out, past the buffer; small ones gather in it.
    if (size >= buffer_.size() / 2) {
        if (sync() != 0 || !drain(data, size)) {
            return 0;
        }
        return count;
    }
    std::size_t const room = static_cast<std::size_t>(epptr() - pptr());
    if (size > room && sync() != 0) {
        return 0;
    }
    std::memcpy(pptr(), data, size);
    pbump(static_cast<int>(size));
    return count;
}

} // namespace richmarkup::tool
