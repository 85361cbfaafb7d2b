#pragma once

#include "cppmicroservices/Bundle.h"

#include <memory>

namespace cppmicroservices::detail {

/// The runtime's way into a Bundle handle.
struct BundleAccess
{
  static Bundle Make(std::shared_ptr<BundlePrivate> bundle, std::shared_ptr<FrameworkPrivate> framework)
  {
    return Bundle(std::move(bundle), std::move(framework));
  }

  static std::shared_ptr<BundlePrivate> const& Private(Bundle const& bundle) noexcept { return bundle.d; }
  static std::shared_ptr<FrameworkPrivate> const& Framework(Bundle const& bundle) noexcept { return bundle.c; }
};

} // namespace cppmicroservices::detail
