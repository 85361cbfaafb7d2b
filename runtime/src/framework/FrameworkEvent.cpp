#include "cppmicroservices/FrameworkEvent.h"

namespace cppmicroservices {

FrameworkEvent::FrameworkEvent() : valid(false), type(FRAMEWORK_INFO) {}

FrameworkEvent::FrameworkEvent(Type t, Bundle const& b, std::string const& m, std::exception_ptr e)
    : valid(true), type(t), bundle(b), message(m), exception(std::move(e))
{}

FrameworkEvent::operator bool() const
{
  return valid;
}

Bundle FrameworkEvent::GetBundle() const
{
  return bundle;
}

std::string FrameworkEvent::GetMessage() const
{
  return message;
}

std::exception_ptr FrameworkEvent::GetThrowable() const
{
  return exception;
}

FrameworkEvent::Type FrameworkEvent::GetType() const
{
  return type;
}

std::ostream& operator<<(std::ostream& os, FrameworkEvent::Type eventType)
{
  switch (eventType) {
  case FrameworkEvent::FRAMEWORK_STARTED: return os << "STARTED";
  case FrameworkEvent::FRAMEWORK_ERROR: return os << "ERROR";
  case FrameworkEvent::FRAMEWORK_WARNING: return os << "WARNING";
  case FrameworkEvent::FRAMEWORK_INFO: return os << "INFO";
  case FrameworkEvent::FRAMEWORK_STOPPED: return os << "STOPPED";
  case FrameworkEvent::FRAMEWORK_STOPPED_UPDATE: return os << "STOPPED_UPDATE";
  case FrameworkEvent::FRAMEWORK_WAIT_TIMEDOUT: return os << "WAIT_TIMEDOUT";
  }
  return os << "Unknown framework event type";
}

std::ostream& operator<<(std::ostream& os, FrameworkEvent const& evt)
{
  if (!evt) {
    return os << "NONE";
  }
  return os << "FrameworkEvent: [" << evt.GetType() << "] " << evt.GetMessage();
}

bool operator==(FrameworkEvent const& rhs, FrameworkEvent const& lhs)
{
  return rhs.GetType() == lhs.GetType() && rhs.GetBundle() == lhs.GetBundle() && rhs.GetMessage() == lhs.GetMessage() &&
         rhs.GetThrowable() == lhs.GetThrowable();
}

} // namespace cppmicroservices
