#pragma once

#include <richmarkup/shared/logging/RecordWriter.hpp>

namespace richmarkup::build::json::text {

using richmarkup::shared::logging::RecordWriter;

} // namespace richmarkup::build::json::text
