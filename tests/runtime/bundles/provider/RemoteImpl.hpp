#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <string>

namespace runtimetest {

class RemoteImpl final : public Remote
{
public:
  RemoteImpl() { EventLog::Record("+Remote"); }
  ~RemoteImpl() override { EventLog::Record("-Remote"); }

  std::string Where() const override { return "provider"; }
};

} // namespace runtimetest
