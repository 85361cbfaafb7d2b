#pragma once

#include <vx/zero/Export.hpp>

namespace document::vxzero {

enum class Alignment { Left, Center, Right, Justify };

/// "left", "center", "right" or "justify"; an out-of-range value gives "left".
RICHMARKUP_MODEL_EXPORT char const* alignmentName(Alignment alignment) noexcept;

} // namespace document::vxzero
