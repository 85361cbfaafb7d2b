#include "cppmicroservices/Framework.h"

#include "BundleAccess.hpp"
#include "BundlePrivate.hpp"
#include "FrameworkPrivate.hpp"

#include <stdexcept>

namespace cppmicroservices {

namespace {

FrameworkPrivate& Core(std::shared_ptr<FrameworkPrivate> const& c)
{
  if (!c) {
    throw std::invalid_argument("The framework object is invalid");
  }
  return *c;
}

} // namespace

Framework::Framework(Bundle b) : Bundle(std::move(b))
{
  if (!d || d->id != 0 || !c) {
    throw std::logic_error("Not a framework (system bundle)");
  }
}

Framework::Framework(std::shared_ptr<FrameworkPrivate> const& core) : Bundle(core->System(), core) {}

Framework::Framework(Framework const& fw) = default;
Framework::Framework(Framework&& fw) noexcept = default;
Framework& Framework::operator=(Framework const& fw) = default;
Framework& Framework::operator=(Framework&& fw) noexcept = default;

void Framework::Init()
{
  Core(c).Init();
}

FrameworkEvent Framework::WaitForStop(std::chrono::milliseconds const& timeout)
{
  return Core(c).WaitForStop(timeout);
}

} // namespace cppmicroservices
