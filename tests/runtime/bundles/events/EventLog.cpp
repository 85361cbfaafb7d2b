#include <runtimetest/EventLog.hpp>

#include <mutex>

namespace runtimetest {

namespace {

std::mutex logMutex;
std::string logText;

} // namespace

void EventLog::Record(std::string const& event)
{
  std::lock_guard<std::mutex> lock(logMutex);
  if (!logText.empty()) {
    logText += ' ';
  }
  logText += event;
}

std::string EventLog::Take()
{
  std::lock_guard<std::mutex> lock(logMutex);
  std::string taken;
  taken.swap(logText);
  return taken;
}

} // namespace runtimetest
