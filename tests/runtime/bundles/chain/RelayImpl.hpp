#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <memory>
#include <string>
#include <utility>

namespace runtimetest {

class RelayImpl final : public Consumer
{
public:
  explicit RelayImpl(std::shared_ptr<Source> source) : source_(std::move(source)) { EventLog::Record("+Relay"); }
  ~RelayImpl() override { EventLog::Record("-Relay"); }

  std::string Describe() const override { return "Relay(" + source_->Name() + ")"; }

private:
  std::shared_ptr<Source> source_;
};

} // namespace runtimetest
