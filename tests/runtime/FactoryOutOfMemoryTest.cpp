// A generated factory meets an exhausted heap: it must give a null instance, never throw.
// Every allocation of this process goes through the operator new below, so a failing heap
// is a flag away.

#include <cppmicroservices/servicecomponent/detail/ComponentInstance.hpp>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

namespace {

bool heapExhausted = false;

} // namespace

void* operator new(std::size_t size)
{
  if (heapExhausted) {
    throw std::bad_alloc();
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}

void* operator new(std::size_t size, std::nothrow_t const&) noexcept
{
  return heapExhausted ? nullptr : std::malloc(size == 0 ? 1 : size);
}

void operator delete(void* memory) noexcept
{
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
  std::free(memory);
}

namespace {

using ComponentInstance = cppmicroservices::service::component::detail::ComponentInstance;

TEST(GeneratedFactory, GivesNullWhenMemoryRunsOut)
{
  void* library = dlopen(CHAIN_BUNDLE, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  // A component with a reference: its factory allocates the reference names too.
  auto* newInstance = reinterpret_cast<ComponentInstance* (*)()>(dlsym(library, "NewInstance_runtimetest_TailImpl"));
  auto* deleteInstance =
    reinterpret_cast<void (*)(ComponentInstance*)>(dlsym(library, "DeleteInstance_runtimetest_TailImpl"));
  ASSERT_NE(newInstance, nullptr);
  ASSERT_NE(deleteInstance, nullptr);

  heapExhausted = true;
  ComponentInstance* starved = nullptr;
  bool threw = false;
  try {
    starved = newInstance();
  } catch (...) {
    threw = true;
  }
  heapExhausted = false;
  EXPECT_FALSE(threw);
  EXPECT_EQ(starved, nullptr);

  ComponentInstance* instance = newInstance();
  EXPECT_NE(instance, nullptr);
  deleteInstance(instance);
  deleteInstance(nullptr);
}

} // namespace
