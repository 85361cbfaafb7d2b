#pragma once

#include <richmarkup/host/DocumentHost.hpp>

namespace richmarkup::python {

/// The process's one framework, started by the first conversion of any thread and shared by all.
/// Never stopped: models may outlive it at interpreter exit, and their nodes' code lives in the
/// bundles it loaded. Call it without the GIL: starting takes a while, and another thread that
/// started it first may need the GIL to get there. Throws HostError when the bundles cannot be
/// started (a later call tries again).
host::DocumentHost const& sharedHost();

} // namespace richmarkup::python
