#define US_BUNDLE_NAME runtimebase_test_bundle
#include <cppmicroservices/BundleInitialization.h>

#include <gtest/gtest.h>

CPPMICROSERVICES_INITIALIZE_BUNDLE

namespace {

TEST(BundleInitialization, SetterStoresWhatTheGetterReturns)
{
  EXPECT_EQ(_us_get_bundle_context_instance_runtimebase_test_bundle(), nullptr);
  auto* const fake = reinterpret_cast<cppmicroservices::BundleContextPrivate*>(0x1000);
  _us_set_bundle_context_instance_runtimebase_test_bundle(fake);
  EXPECT_EQ(_us_get_bundle_context_instance_runtimebase_test_bundle(), fake);
  _us_set_bundle_context_instance_runtimebase_test_bundle(nullptr);
  EXPECT_EQ(_us_get_bundle_context_instance_runtimebase_test_bundle(), nullptr);
}

} // namespace
