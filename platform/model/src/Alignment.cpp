#include <document/vxzero/Alignment.hpp>

namespace document::vxzero {

char const* alignmentName(Alignment alignment) noexcept {
    switch (alignment) {
    case Alignment::Center: return "center";
    case Alignment::Right: return "right";
    case Alignment::Justify: return "justify";
    case Alignment::Left: break;
    }
    return "left";
}

} // namespace document::vxzero
