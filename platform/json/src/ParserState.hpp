#pragma once

#include <simdjson.h>

namespace foundation::json::detail {

/// A parser's simdjson buffers. A stream made from them borrows them until it ends; a parse
/// meanwhile takes fresh ones instead of overwriting what the stream still reads.
struct ParserState {
    simdjson::dom::parser dom;
    bool lent = false;
};

} // namespace foundation::json::detail
