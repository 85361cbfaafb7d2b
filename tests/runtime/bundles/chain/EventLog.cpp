#include "EventLog.hpp"

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/BundleInitialization.h>
#include <cppmicroservices/GetBundleContext.h>
#include <cppmicroservices/GlobalConfig.h>
#include <cppmicroservices/servicecomponent/detail/ComponentInstance.hpp>

#include <mutex>

CPPMICROSERVICES_INITIALIZE_BUNDLE

namespace runtimetest {

namespace {

std::mutex& LogMutex()
{
  static std::mutex mutex;
  return mutex;
}

std::string& LogText()
{
  static std::string text;
  return text;
}

} // namespace

void EventLog::Record(std::string const& event)
{
  std::lock_guard<std::mutex> lock(LogMutex());
  std::string& text = LogText();
  if (!text.empty()) {
    text += ' ';
  }
  text += event;
}

} // namespace runtimetest

/// The events so far, then cleared.
extern "C" US_ABI_EXPORT char const* runtimetest_chain_take_events()
{
  static std::string taken;
  std::lock_guard<std::mutex> lock(runtimetest::LogMutex());
  taken = runtimetest::LogText();
  runtimetest::LogText().clear();
  return taken.c_str();
}

/// Whether the bundle's own context (as the framework handed it over) is valid.
extern "C" US_ABI_EXPORT bool runtimetest_chain_context_valid()
{
  return static_cast<bool>(cppmicroservices::GetBundleContext());
}

// A factory that fails: only reachable through a manifest given at install time.
extern "C" US_ABI_EXPORT cppmicroservices::service::component::detail::ComponentInstance*
NewInstance_runtimetest_NullImpl()
{
  return nullptr;
}

extern "C" US_ABI_EXPORT void DeleteInstance_runtimetest_NullImpl(
  cppmicroservices::service::component::detail::ComponentInstance* componentInstance)
{
  delete componentInstance;
}
