#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <memory>
#include <string>
#include <utility>

namespace runtimetest {

class OrphanImpl final : public Consumer
{
public:
  explicit OrphanImpl(std::shared_ptr<Missing> missing) : missing_(std::move(missing)) { EventLog::Record("+Orphan"); }
  ~OrphanImpl() override { EventLog::Record("-Orphan"); }

  std::string Describe() const override { return "Orphan"; }

private:
  std::shared_ptr<Missing> missing_;
};

} // namespace runtimetest
