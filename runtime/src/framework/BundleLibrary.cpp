#include "BundleLibrary.hpp"

#include <dlfcn.h>

#include <stdexcept>

namespace cppmicroservices {

void* BundleLibrary::Load(std::string const& path)
{
  // RTLD_LOCAL: bundles see the runtime they link to, not each other's symbols.
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    char const* reason = dlerror();
    throw std::runtime_error(path + ": cannot load bundle library: " + (reason ? reason : "unknown error"));
  }
  return handle;
}

void* BundleLibrary::Symbol(void* library, std::string const& name) noexcept
{
  if (library == nullptr) {
    return nullptr;
  }
  dlerror();
  return dlsym(library, name.c_str());
}

} // namespace cppmicroservices
