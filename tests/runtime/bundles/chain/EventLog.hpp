#pragma once

#include <string>

namespace runtimetest {

/// What the chain bundle's objects did, in order ("+Front" constructed, "-Front"
/// destroyed, "activate Tail", ...), read by the tests through exported functions.
class EventLog
{
public:
  static void Record(std::string const& event);
};

} // namespace runtimetest
