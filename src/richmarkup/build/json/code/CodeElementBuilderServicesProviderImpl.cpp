#include "CodeElementBuilderServicesProviderImpl.hpp"

#include "RecordWriter.hpp"

#include <foundation/cppmicroservices/FrameworkAccess.hpp>

#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/LDAPFilter.h>
#include <cppmicroservices/ServiceObjects.h>
#include <cppmicroservices/ServiceReference.h>

namespace richmarkup::build::json::code {

namespace {

// Asks the host's running framework, not this bundle's own context: builders of other
// bundles count as much as ours, and no framework simply means no builders.
std::vector<std::shared_ptr<CodeElementBuilder>> lookUpCodeElementBuilders() {
    std::vector<std::shared_ptr<CodeElementBuilder>> builders;
    std::shared_ptr<cppmicroservices::Framework> framework = foundation::cppmicroservices::getFramework();
    if (!framework) {
        return builders;
    }
    cppmicroservices::BundleContext context = framework->GetBundleContext();
    auto const references = context.GetServiceReferences<CodeElementBuilder>(cppmicroservices::LDAPFilter().ToString());
    builders.reserve(references.size());
    for (auto const& reference : references) {
        std::shared_ptr<CodeElementBuilder> builder = context.GetServiceObjects(reference).GetService();
        if (builder) {
            builders.push_back(std::move(builder));
        }
    }
    return builders;
}

} // namespace

CodeElementBuilderServicesProviderImpl::Builders const&
CodeElementBuilderServicesProviderImpl::getCodeElementBuilders() {
    if (filled_.load(std::memory_order_acquire)) {
        return codeElementBuilders;
    }
    std::lock_guard<std::mutex> lock(fillMutex_);
    if (filled_.load(std::memory_order_relaxed)) {
        return codeElementBuilders; // another thread filled it while this one waited
    }
    // A framework error leaves here with the cache as it was, so the next call gathers again.
    codeElementBuilders = lookUpCodeElementBuilders();
    RecordWriter::write([&](auto& s) {
        s << "Found " << static_cast<unsigned long long>(codeElementBuilders.size()) << " code element builders";
    });
    if (codeElementBuilders.empty()) {
        static Builders const none;
        return none;
    }
    filled_.store(true, std::memory_order_release);
    return codeElementBuilders;
}

std::shared_ptr<CodeElementBuilder>
CodeElementBuilderServicesProviderImpl::findApplicableBuilder(foundation::json::Value const& element) {
    RecordWriter::write("Attempting to find an applicable code element builder");
    Builders const& builders = getCodeElementBuilders();
    for (std::size_t i = 0; i < builders.size(); ++i) {
        if (builders[i]->canBuild(element)) {
            RecordWriter::write("An applicable code element builder was found. Returning builder.");
            return threadCopies_.copyOf(builders, i);
        }
    }
    RecordWriter::write("No applicable code element builder was found. Returning null.");
    return nullptr;
}

} // namespace richmarkup::build::json::code
