#ifndef CPPMICROSERVICES_FRAMEWORK_H
#define CPPMICROSERVICES_FRAMEWORK_H

#include "cppmicroservices/Bundle.h"
#include "cppmicroservices/FrameworkConfig.h"

#include <chrono>

namespace cppmicroservices {

class FrameworkEvent;
class FrameworkFactory;

/**
 * The framework, itself the system bundle (id 0, location "System Bundle"). Init gives
 * it a valid context; Start makes it active; Stop stops every bundle in reverse start
 * order and invalidates the contexts. Stop runs synchronously, so WaitForStop returns
 * as soon as it is called after Stop.
 */
class US_Framework_EXPORT Framework : public Bundle
{
public:
  /// \throws std::logic_error if b is not a system bundle.
  explicit Framework(Bundle b);

  Framework(Framework const& fw);
  Framework(Framework&& fw) noexcept;
  Framework& operator=(Framework const& fw);
  Framework& operator=(Framework&& fw) noexcept;

  /// Moves to STATE_STARTING with a valid context; does nothing when already there or active.
  void Init();

  /**
   * Waits until the framework is stopped (a zero timeout waits without limit).
   * \return FRAMEWORK_STOPPED, or FRAMEWORK_WAIT_TIMEDOUT.
   */
  FrameworkEvent WaitForStop(std::chrono::milliseconds const& timeout);

private:
  friend class FrameworkFactory;

  explicit Framework(std::shared_ptr<FrameworkPrivate> const& d);
};

} // namespace cppmicroservices

#endif // CPPMICROSERVICES_FRAMEWORK_H
