#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <memory>
#include <string>
#include <utility>

namespace runtimetest {

class TailImpl final : public Consumer
{
public:
  explicit TailImpl(std::shared_ptr<Consumer> front) : front_(std::move(front)) { EventLog::Record("+Tail"); }
  ~TailImpl() override { EventLog::Record("-Tail"); }

  std::string Describe() const override { return "Tail>" + front_->Describe(); }

private:
  std::shared_ptr<Consumer> front_;
};

} // namespace runtimetest
