#pragma once

#include <richmarkup/build/json/text/TextElementBuilderServicesProvider.hpp>

#include "shared/ThreadCopies.hpp"

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace richmarkup::build::json::text {

/// The registry of inline builders: every TextElementBuilder service of the running
/// framework, gathered on first use and kept for the provider's life.
class TextElementBuilderServicesProviderImpl : public TextElementBuilderServicesProvider {
public:
    std::shared_ptr<TextElementBuilder> findApplicableBuilder(foundation::json::Value const& element) override;

private:
    using Builders = std::vector<std::shared_ptr<TextElementBuilder>>;

    /// The cached builders, gathered first while the cache is empty. Once filled the cache
    /// never changes again, so callers read it in place instead of copying it; an empty
    /// gathering hands out a shared empty list, never the cache another thread may refill.
    Builders const& getTextElementBuilders();

    Builders textElementBuilders;
    // Two threads making the first call at once must not both gather (and log the count
    // twice) or write the cache under each other; once filled, reads take no lock.
    std::atomic<bool> filled_{false};
    std::mutex fillMutex_;
    // The builders handed out, from copies counted per stripe of threads: the cache's own
    // pointers would have every thread write the same counts at every element.
    json::ThreadCopies<TextElementBuilder> threadCopies_;
};

} // namespace richmarkup::build::json::text
