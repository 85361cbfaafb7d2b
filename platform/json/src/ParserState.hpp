#pragma once

#include "Arena.hpp"
#include "ZeroedNumbers.hpp"

#include <simdjson.h>

#include <memory>

namespace foundation::json::detail {

/// A parser's simdjson buffers and tree memory. A stream made from them borrows them until
/// it ends; a parse meanwhile takes fresh ones instead of overwriting what the stream reads.
struct ParserState {
    simdjson::dom::parser dom;
    /// A large array's second half, when the last text was parsed in two parts at once
    /// (`dom` then holds the first); kept warm like the first once made.
    std::unique_ptr<simdjson::dom::parser> second;
    bool split = false; // whether the last text was parsed in two parts
    /// Of `dom`'s document and of `second`'s.
    ZeroedNumbers zeroed;
    ZeroedNumbers secondZeroed;
    bool lent = false;
    /// Memory of the whole trees this parser made, kept for the next one.
    std::shared_ptr<BlockPool> blocks = std::make_shared<BlockPool>(std::size_t(64) << 10);
};

} // namespace foundation::json::detail
