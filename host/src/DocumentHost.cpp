#include <richmarkup/host/DocumentHost.hpp>

#include <richmarkup/host/BundleLocator.hpp>
#include <richmarkup/host/ElementBuildError.hpp>
#include <richmarkup/host/HostError.hpp>

#include "TextEscape.hpp"

#include <foundation/cppmicroservices/FrameworkAccess.hpp>
#include <richmarkup/build/json/NodeBuilder.hpp>
#include <richmarkup/build/json/text/TextElementBuilder.hpp>

#include <cppmicroservices/Any.h>
#include <cppmicroservices/Bundle.h>
#include <cppmicroservices/BundleContext.h>
#include <cppmicroservices/Framework.h>
#include <cppmicroservices/FrameworkEvent.h>
#include <cppmicroservices/FrameworkFactory.h>
#include <cppmicroservices/ServiceInterface.h>
#include <cppmicroservices/ServiceReference.h>

#include <chrono>
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

// "a string", "an array", "null": a JSON kind as it reads in a sentence.
std::string kindPhrase(foundation::json::Value const& value) {
    std::string const name = value.kindName();
    if (value.isNull() || value.isUndefined()) {
        return name;
    }
    bool const vowel = std::string("aeiou").find(name.front()) != std::string::npos;
    return (vowel ? "an " : "a ") + name;
}

// Why no builder took an element, in words that point at the element's className.
std::string skippedMessage(foundation::json::Value const& element) {
    std::string message = "no builder for className ";
    if (!element.isObject()) {
        message += "<none> (the element is ";
        message += kindPhrase(element);
        message += ", not an object)";
    } else if (!element.hasOwnProperty("className")) {
        message += "<none>";
    } else if (foundation::json::Value const& name = element["className"]; name.isString()) {
        text::appendQuoted(message, name.asString());
    } else {
        message += "<none> (className is ";
        message += kindPhrase(name);
        message += ", not a string)";
    }
    message += "; skipped";
    return message;
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

} // namespace

struct DocumentHost::State {
    std::shared_ptr<cppmicroservices::Framework> framework;
    std::vector<std::string> installed;
};

DocumentHost::DocumentHost(HostOptions options) : state_(std::make_unique<State>()) {
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
        for (auto const& file : files) {
            for (auto& bundle : context.InstallBundles(file)) {
                bundle.Start();
            }
            state_->installed.push_back(file);
        }
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

BuildResult DocumentHost::build(vx::zero::Model const& model, foundation::json::Value const& document,
                                WarningHandler const& onWarning) const {
    foundation::json::Array single;
    foundation::json::Array const* elements = nullptr;
    if (document.isArray()) {
        elements = &document.asArray();
    } else if (document.isObject()) {
        single.push_back(document);
        elements = &single;
    } else {
        throw std::invalid_argument("the document is " + kindPhrase(document) +
                                    "; it must be a block element (an object) or an array of them");
    }

    // One snapshot of the block builders serves the whole document.
    auto context = state_->framework->GetBundleContext();
    std::vector<std::shared_ptr<NodeBuilder>> builders;
    for (auto const& reference : context.GetServiceReferences<NodeBuilder>()) {
        if (auto builder = context.GetService(reference)) {
            builders.push_back(std::move(builder));
        }
    }

    BuildResult result;
    result.nodes.reserve(elements->size());
    auto warn = [&](std::size_t number, std::string message) {
        result.warnings.push_back(BuildWarning{number, std::move(message)});
        if (onWarning) {
            onWarning(result.warnings.back());
        }
    };

    std::size_t number = 0;
    for (auto const& element : *elements) {
        ++number;
        bool built = false;
        try {
            for (auto const& builder : builders) {
                if (builder->canBuild(element)) {
                    document::vxzero::Node node = builder->build(model, element);
                    if (node) {
                        result.nodes.push_back(std::move(node));
                    } else {
                        warn(number, "the builder gave no node; skipped");
                    }
                    built = true;
                    break;
                }
            }
        } catch (std::exception const& e) {
            throw ElementBuildError(number, e.what());
        } catch (...) {
            throw ElementBuildError(number, "unknown exception");
        }
        if (!built) {
            warn(number, skippedMessage(element));
        }
    }
    return result;
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
