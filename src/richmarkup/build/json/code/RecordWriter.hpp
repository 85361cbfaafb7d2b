#pragma once

#include <richmarkup/shared/logging/RecordWriter.hpp>

namespace richmarkup::build::json::code {

using richmarkup::shared::logging::RecordWriter;

} // namespace richmarkup::build::json::code
