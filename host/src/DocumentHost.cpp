#include <richmarkup/host/DocumentHost.hpp>

#include <richmarkup/host/BundleLocator.hpp>
#include <richmarkup/host/DeclarativeServices.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/HostError.hpp>
#include <richmarkup/formats/PrintableText.hpp>

#include "DocumentBuildState.hpp"
#include "ElementPhrases.hpp"
#include "FormatDescription.hpp"
#include "HeapAhead.hpp"

#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <foundation/json/ReadAheadStream.hpp>
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextElementBuilder.hpp>
#include <richmarkup/shared/logging/Logger.hpp>

#include <cppmicroservices/Any.h>
#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Constants.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>
#include <cppmicroservices/ServiceInterface.h>
#include <cppmicroservices/ServiceReference.h>

#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>

namespace richmarkup::host {

namespace {

using richmarkup::build::json::NodeBuilder;
using richmarkup::build::json::text::TextElementBuilder;

void stopQuietly(cppmicroservices::Framework& framework) noexcept {
    try {
        framework.Stop();
        framework.WaitForStop(std::chrono::milliseconds::zero());
    } catch (...) {
        // Nothing more can be done for a framework that will not stop; the process goes on.
    }
}

std::string joinDirectories(std::vector<std::filesystem::path> const& directories) {
    std::string out;
    for (auto const& directory : directories) {
        if (!out.empty()) {
            out += ", ";
        }
        out += directory.string();
    }
    return out.empty() ? std::string("nowhere") : out;
}

std::string findBundle(BundleLocator const& locator, char const* fileName) {
    if (auto path = locator.find(fileName)) {
        return path->string();
    }
    throw HostError(std::string("cannot find the bundle ") + fileName + " (looked in " +
                    joinDirectories(locator.directories()) + ")");
}

std::string propertyText(cppmicroservices::Any const& value) {
    if (value.Type() == typeid(std::string)) {
        return cppmicroservices::any_cast<std::string>(value);
    }
    return value.ToString();
}

// Only an object (one element) or an array of them is a document to build.
void requireBuildable(foundation::json::Kind documentKind) {
    if (documentKind != foundation::json::Kind::Array && documentKind != foundation::json::Kind::Object) {
        throw std::invalid_argument("the document is " + phrases::kindPhrase(documentKind) +
                                    "; it must be a block element (an object) or an array of them");
    }
}

template <class Service>
void collectBuilders(cppmicroservices::BundleContext context, std::vector<BuilderInfo>& out) {
    std::string const interfaceName = us_service_interface_iid<Service>();
    for (auto const& reference : context.GetServiceReferences<Service>()) {
        BuilderInfo info;
        info.interfaceName = interfaceName;
        if (auto const id = reference.GetProperty("test_id"); !id.Empty()) {
            info.testId = propertyText(id);
        }
        if (auto const name = reference.GetProperty("component.name"); !name.Empty()) {
            info.componentName = propertyText(name);
        }
        out.push_back(std::move(info));
    }
}

long serviceId(cppmicroservices::ServiceReferenceBase const& reference) {
    return cppmicroservices::any_cast<long>(reference.GetProperty(cppmicroservices::Constants::SERVICE_ID));
}

// Keeps the builders' records off while it lives. canBuild writes one each time it is asked, and
// the host's own questions must leave no trace in a log. Used only while the host starts: no
// build runs then, whose records this would hide.
class BuilderRecordsOff {
public:
    BuilderRecordsOff() : wasOn_(logger().isEnabled(level)) { logger().disable(level); }
    ~BuilderRecordsOff() {
        if (wasOn_) {
            logger().enable(level);
        }
    }
    BuilderRecordsOff(BuilderRecordsOff const&) = delete;
    BuilderRecordsOff& operator=(BuilderRecordsOff const&) = delete;

private:
    static constexpr unsigned level = shared::logging::builderRecordLevel;
    static foundation::log::basic_diagnostic_logger<char>& logger() { return shared::logging::getLogger(); }
    bool wasOn_;
};

// The kinds of the format's description that each block builder registered now takes, by
// service id: each is asked about a bare element of every kind ({"className": K}, which is what
// a block builder looks at). A builder that throws on one does not take it.
std::map<long, std::vector<std::string>> askBlockBuilders(cppmicroservices::BundleContext context) {
    std::vector<foundation::json::Value> elements;
    for (auto const& kind : format::kinds()) {
        elements.emplace_back(
            foundation::json::Object{{std::string(format::classNameKey), foundation::json::Value(kind.className)}});
    }
    BuilderRecordsOff const quiet;
    std::map<long, std::vector<std::string>> kinds;
    for (auto const& reference : context.GetServiceReferences<NodeBuilder>()) {
        auto builder = context.GetService(reference);
        if (!builder) {
            continue;
        }
        std::vector<std::string>& taken = kinds[serviceId(reference)];
        for (auto const& element : elements) {
            try {
                if (builder->canBuild(element)) {
                    taken.push_back(element[format::classNameKey].asString());
                }
            } catch (std::exception const&) {
                // Not one it builds.
            }
        }
    }
    return kinds;
}

} // namespace

struct DocumentHost::State {
    std::shared_ptr<cppmicroservices::Framework> framework;
    std::vector<std::string> installed;
    // What each block builder answered when the host started, by service id. A builder
    // registered later takes no kind the checker knows: asking it now could write records into
    // a build's log.
    std::map<long, std::vector<std::string>> blockKinds;
    PerformanceOptions performance;

    void addKindsOf(cppmicroservices::ServiceReferenceBase const& builder, std::set<std::string>& out) const {
        auto const found = blockKinds.find(serviceId(builder));
        if (found != blockKinds.end()) {
            out.insert(found->second.begin(), found->second.end());
        }
    }

    /// The checker for the block builders `references` name: made again only when they differ
    /// from the last document's. Every thread's documents pass here once, under one lock; making
    /// it for each reads every builder's properties under the registration's lock instead.
    ElementChecker checkerFor(std::vector<cppmicroservices::ServiceReference<NodeBuilder>> const& references) const {
        std::lock_guard<std::mutex> lock(checkerMutex);
        if (!checker || references != checkerReferences) {
            std::set<std::string> kinds;
            for (auto const& reference : references) {
                addKindsOf(reference, kinds);
            }
            checker.emplace(kinds);
            checkerReferences = references;
        }
        return *checker;
    }

    mutable std::mutex checkerMutex;
    mutable std::optional<ElementChecker> checker;
    mutable std::vector<cppmicroservices::ServiceReference<NodeBuilder>> checkerReferences;
};

DocumentHost::DocumentHost(HostOptions options) : state_(std::make_unique<State>()) {
    state_->performance = options.performance;
    BundleLocator const locator(options.bundleDirectories);
    std::vector<std::string> files;
    // The code-element bundle goes first, so that the richtext components find the service
    // they need already there and come up in the order of their manifest.
    if (options.codeElements) {
        files.push_back(findBundle(locator, BundleLocator::codeBundleFile));
    }
    files.push_back(findBundle(locator, BundleLocator::richtextBundleFile));
    files.insert(files.end(), options.extraBundles.begin(), options.extraBundles.end());

    auto framework = std::make_shared<cppmicroservices::Framework>(cppmicroservices::FrameworkFactory().NewFramework());
    try {
        framework->Start();
    } catch (std::exception const& e) {
        throw HostError(e.what());
    }
    foundation::cppmicroservices::setFramework(framework);
    try {
        auto context = framework->GetBundleContext();
        DeclarativeServices::ensure(context, options.declarativeServicesBundle);
        for (auto const& file : files) {
            // The framework says only that it cannot open a file; the system says why.
            if (::access(file.c_str(), R_OK) != 0) {
                throw HostError("cannot open bundle " + formats::text::printableText(file) + ": " +
                                std::strerror(errno));
            }
            for (auto& bundle : context.InstallBundles(file)) {
                bundle.Start();
            }
            state_->installed.push_back(file);
        }
        state_->blockKinds = askBlockBuilders(context);
    } catch (std::exception const& e) {
        foundation::cppmicroservices::setFramework(nullptr);
        stopQuietly(*framework);
        throw HostError(e.what());
    }
    state_->framework = std::move(framework);
}

DocumentHost::~DocumentHost() {
    foundation::cppmicroservices::setFramework(nullptr);
    stopQuietly(*state_->framework);
}

DocumentBuild DocumentHost::begin(vx::zero::Model const& model, WarningHandler onWarning) const {
    auto state = std::make_unique<DocumentBuild::State>();
    state->model = &model;
    state->onWarning = std::move(onWarning);
    // One snapshot of the block builders serves the whole document; the kinds they take are
    // those a table cell may hold.
    auto context = state_->framework->GetBundleContext();
    std::vector<cppmicroservices::ServiceReference<NodeBuilder>> taken;
    for (auto const& reference : context.GetServiceReferences<NodeBuilder>()) {
        if (auto builder = context.GetService(reference)) {
            state->builders.push_back(std::move(builder));
            taken.push_back(reference);
        }
    }
    state->checker = state_->checkerFor(taken);
    return DocumentBuild(std::move(state));
}

BuildResult DocumentHost::build(vx::zero::Model const& model, foundation::json::Value const& document,
                                WarningHandler const& onWarning) const {
    requireBuildable(document.kind());
    DocumentBuild build = begin(model, onWarning);
    build.state_->inArray = !document.isObject();
    if (document.isObject()) {
        build.add(document);
    } else {
        for (auto const& element : document.asArray()) {
            build.add(element);
        }
    }
    return build.takeResult();
}

BuildResult DocumentHost::build(vx::zero::Model const& model, foundation::json::ElementStream& document,
                                WarningHandler const& onWarning, ElementHandler const& onElement) const {
    requireBuildable(document.documentKind());
    DocumentBuild build = begin(model, onWarning);
    build.state_->inArray = document.documentKind() == foundation::json::Kind::Array;
    // A long document's next elements are converted, and checked, on a second core while
    // this one builds; that core also maps the model's next block.
    DocumentBuild::State& state = *build.state_;
    PerformanceOptions const& performance = state_->performance;
    HeapAhead heap;
    foundation::json::forEachElement(
        document, performance.readAhead ? foundation::json::ReadAhead::WherePays : foundation::json::ReadAhead::Off,
        [&state, &heap, heapAhead = performance.heapAhead](foundation::json::Value const& element) {
            state.model->warmAhead(); // the builders' next model block, mapped on this core
            if (heapAhead) {
                heap.step(); // and the heap they allocate from
            }
            return state.check(element);
        },
        [&](foundation::json::Value const& element, std::vector<Finding> const& findings) {
            if (onElement) {
                onElement(element);
            }
            state.add(element, &findings);
        });
    return build.takeResult();
}

std::set<std::string> DocumentHost::blockKinds() const {
    std::set<std::string> kinds;
    for (auto const& reference : state_->framework->GetBundleContext().GetServiceReferences<NodeBuilder>()) {
        state_->addKindsOf(reference, kinds);
    }
    return kinds;
}

std::vector<BuilderInfo> DocumentHost::listBuilders() const {
    std::vector<BuilderInfo> out;
    auto context = state_->framework->GetBundleContext();
    collectBuilders<NodeBuilder>(context, out);
    collectBuilders<TextElementBuilder>(context, out);
    return out;
}

std::vector<std::string> const& DocumentHost::installedBundles() const noexcept { return state_->installed; }

} // namespace richmarkup::host
