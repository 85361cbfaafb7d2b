#include "TextElementBuilderServicesProviderImpl.hpp"

#include "RecordWriter.hpp"
#include "ServiceLookup.hpp"

namespace richmarkup::build::json::text {

TextElementBuilderServicesProviderImpl::Builders const&
TextElementBuilderServicesProviderImpl::getTextElementBuilders() {
    if (filled_.load(std::memory_order_acquire)) {
        return textElementBuilders;
    }
    std::lock_guard<std::mutex> lock(fillMutex_);
    if (filled_.load(std::memory_order_relaxed)) {
        return textElementBuilders; // another thread filled it while this one waited
    }
    // A framework error leaves here with the cache as it was, so the next call gathers again.
    textElementBuilders = lookUpServices<TextElementBuilder>();
    RecordWriter::write([&](auto& s) {
        s << "Found " << static_cast<unsigned long long>(textElementBuilders.size()) << " text element builders";
    });
    if (textElementBuilders.empty()) {
        // Gathered again on the next call. Hand out a list no other thread writes to.
        static Builders const none;
        return none;
    }
    filled_.store(true, std::memory_order_release);
    return textElementBuilders;
}

std::shared_ptr<TextElementBuilder>
TextElementBuilderServicesProviderImpl::findApplicableBuilder(foundation::json::Value const& element) {
    RecordWriter::write("Attempting to find an applicable text element builder");
    Builders const& builders = getTextElementBuilders();
    for (std::size_t i = 0; i < builders.size(); ++i) {
        if (builders[i]->canBuild(element)) {
            RecordWriter::write("An applicable text element builder was found. Returning builder.");
            return threadCopies_.copyOf(builders, i);
        }
    }
    RecordWriter::write("No applicable text element builder was found. Returning null.");
    return nullptr;
}

} // namespace richmarkup::build::json::text
