#include "LineFileSink.hpp"

#include <stdexcept>

namespace richmarkup::bench {

namespace {

std::ofstream openOrThrow(std::string const& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return out;
}

} // namespace

LineFileSink::LineFileSink(std::string const& path) : out_(openOrThrow(path)), sink_(out_) {}

void LineFileSink::rewind() {
    sink_.flush();
    out_.seekp(0);
}

} // namespace richmarkup::bench
