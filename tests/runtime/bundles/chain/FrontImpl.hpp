#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <memory>
#include <string>
#include <utility>

namespace runtimetest {

class FrontImpl final : public Consumer
{
public:
  explicit FrontImpl(std::shared_ptr<Storage> storage) : storage_(std::move(storage)) { EventLog::Record("+Front"); }
  ~FrontImpl() override { EventLog::Record("-Front"); }

  std::string Describe() const override { return "Front(" + storage_->Name() + ")"; }

private:
  std::shared_ptr<Storage> storage_;
};

} // namespace runtimetest
