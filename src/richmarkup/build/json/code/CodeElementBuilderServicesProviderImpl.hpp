#pragma once

#include <richmarkup/build/json/code/CodeElementBuilderServicesProvider.hpp>

#include "shared/ThreadCopies.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace richmarkup::build::json::code {

/// The registry of code element builders: every CodeElementBuilder service of the running
/// framework, from any bundle, gathered on first use and kept for the provider's life.
class CodeElementBuilderServicesProviderImpl : public CodeElementBuilderServicesProvider {
public:
    std::shared_ptr<CodeElementBuilder> findApplicableBuilder(foundation::json::Value const& element) override;

private:
    using Builders = std::vector<std::shared_ptr<CodeElementBuilder>>;

    /// The cached builders, gathered while the cache is empty. A filled cache never changes
    /// again, so it is read in place; an empty gathering hands out a shared empty list
    /// rather than the cache another thread may be refilling.
    Builders const& getCodeElementBuilders();

    Builders codeElementBuilders;
    // Two threads making the first call at once must not both gather (and log the count
    // twice) or write the cache under each other; once filled, reads take no lock.
    std::atomic<bool> filled_{false};
    std::mutex fillMutex_;
    // The builders handed out, from copies counted per stripe of threads: the cache's own
    // pointers would have every thread write the same counts at every element.
    json::ThreadCopies<CodeElementBuilder> threadCopies_;
};

} // namespace richmarkup::build::json::code
