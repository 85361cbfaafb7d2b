#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <string>

namespace runtimetest {

class SecondaryStoreImpl final : public Storage
{
public:
  SecondaryStoreImpl() { EventLog::Record("+SecondaryStore"); }
  ~SecondaryStoreImpl() override { EventLog::Record("-SecondaryStore"); }

  std::string Name() const override { return "secondary"; }
};

} // namespace runtimetest
