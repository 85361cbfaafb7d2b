#pragma once

#include <string>

#define RUNTIMETEST_EVENTS_API __attribute__((visibility("default")))

namespace runtimetest {

/// What the test bundles' objects did, in order ("+Front" constructed, "-Front"
/// destroyed). One shared library holds it, so the bundles (loaded privately by the
/// framework) and the tests see the same log.
class RUNTIMETEST_EVENTS_API EventLog
{
public:
  static void Record(std::string const& event);

  /// The events so far, separated by spaces; the log is empty afterwards.
  static std::string Take();
};

} // namespace runtimetest
