#include <foundation/json/ReadAheadStream.hpp>

#include "Reps.hpp"

#include <thread>

namespace foundation::json {

bool readAheadPays(ElementStream const& stream) noexcept {
    return stream.size() - stream.position() > detail::kReadAheadBatch && std::thread::hardware_concurrency() > 1;
}

void detail::prefetchElement(Value const& element) noexcept { prefetchTree(element); }

} // namespace foundation::json
