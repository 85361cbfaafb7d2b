#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <memory>
#include <string>
#include <utility>

namespace runtimetest {

class BridgeImpl final : public Consumer
{
public:
  explicit BridgeImpl(std::shared_ptr<Remote> remote) : remote_(std::move(remote)) { EventLog::Record("+Bridge"); }
  ~BridgeImpl() override { EventLog::Record("-Bridge"); }

  std::string Describe() const override { return "Bridge(" + remote_->Where() + ")"; }

private:
  std::shared_ptr<Remote> remote_;
};

} // namespace runtimetest
