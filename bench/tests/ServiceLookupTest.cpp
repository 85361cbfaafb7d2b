// The lookup a table cell makes for every cell stays cheap: against the started bundles, a
// registry query allocates its result and nothing else.
#include "AllocationCount.hpp"
#include "BenchHost.hpp"
#include "ServiceLookup.hpp"

#include <richmarkup/build/json/NodeBuilder.hpp>

#include <cppmicroservices/BundleContext.h>

#include <gtest/gtest.h>

namespace {

using richmarkup::build::json::NodeBuilder;

template <class F>
std::size_t allocationsOf(F&& f) {
    f(); // the first call may fill caches; the steady state is what every cell pays
    std::size_t const before = richmarkup::bench::allocationCount();
    f();
    return richmarkup::bench::allocationCount() - before;
}

TEST(ServiceLookup, AllocatesOnlyItsResults) {
    richmarkup::bench::BenchHost host(richmarkup::bench::builtBundles());
    auto context = host.framework()->GetBundleContext();
    std::size_t found = 0;
    EXPECT_EQ(allocationsOf([&] { found = context.GetServiceReferences<NodeBuilder>().size(); }), 1u);
    EXPECT_GE(found, 10u);
    // The cell builder's lookup: the references and the services, two vectors.
    EXPECT_EQ(allocationsOf([&] { found = richmarkup::build::json::text::lookUpServices<NodeBuilder>().size(); }), 2u);
    EXPECT_GE(found, 10u);
}

} // namespace
