#pragma once

#include <runtimetest/EventLog.hpp>
#include <runtimetest/Interfaces.hpp>

#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <vector>

namespace runtimetest {

/// A started framework of its own per test, whose diagnostics land in `log`.
class RuntimeTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    EventLog::Take();
    framework.Start();
  }

  void TearDown() override
  {
    framework.Stop();
    framework.WaitForStop(std::chrono::milliseconds(0));
    EventLog::Take();
  }

  cppmicroservices::BundleContext Context() { return framework.GetBundleContext(); }

  /// Installs the one bundle of a library file.
  cppmicroservices::Bundle Install(std::string const& file)
  {
    auto bundles = Context().InstallBundles(file);
    EXPECT_EQ(bundles.size(), 1u) << file;
    return bundles.empty() ? cppmicroservices::Bundle() : bundles.front();
  }

  cppmicroservices::Bundle Start(std::string const& file)
  {
    cppmicroservices::Bundle bundle = Install(file);
    bundle.Start();
    return bundle;
  }

  /// The "test_id" of every service of S that the filter selects, in the framework's order.
  template <class S>
  std::vector<std::string> TestIds(std::string const& filter = std::string())
  {
    std::vector<std::string> ids;
    for (auto const& reference : Context().GetServiceReferences<S>(filter)) {
      ids.push_back(reference.GetProperty("test_id").ToStringNoExcept());
    }
    return ids;
  }

  /// The first service of S that the filter selects, or an empty pointer.
  template <class S>
  std::shared_ptr<S> Find(std::string const& filter)
  {
    auto context = Context();
    auto const references = context.GetServiceReferences<S>(filter);
    return references.empty() ? nullptr : context.GetService(references.front());
  }

  std::ostringstream log; // declared before the framework, which writes to it until it goes
  cppmicroservices::Framework framework =
    cppmicroservices::FrameworkFactory().NewFramework(cppmicroservices::FrameworkConfiguration{}, &log);
};

} // namespace runtimetest
