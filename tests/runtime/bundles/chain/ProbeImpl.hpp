#pragma once

#include <runtimetest/Interfaces.hpp>

namespace runtimetest {

class ProbeImpl final : public ContextProbe
{
public:
  bool OwnContextValid() const override;
};

} // namespace runtimetest
