#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <string>

namespace runtimetest {

class PrimaryStoreImpl final : public Storage
{
public:
  PrimaryStoreImpl() { EventLog::Record("+PrimaryStore"); }
  ~PrimaryStoreImpl() override { EventLog::Record("-PrimaryStore"); }

  std::string Name() const override { return "primary"; }
};

} // namespace runtimetest
