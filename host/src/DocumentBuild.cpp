#include <richmarkup/host/DocumentBuild.hpp>

#include <richmarkup/host/ElementBuildError.hpp>

#include "DocumentBuildState.hpp"
#include "ElementPhrases.hpp"

#include <exception>
#include <utility>

namespace richmarkup::host {

void DocumentBuild::State::warn(std::string message, std::string pointer) {
    BuildWarning warning{added, std::move(message), std::move(pointer)};
    // A handler hears each one and the result keeps none: a document of a million skipped
    // elements would otherwise hold a million messages to the end of its build.
    if (onWarning) {
        onWarning(warning);
        return;
    }
    result.warnings.push_back(std::move(warning));
}

namespace {

// A builder's error as it was, with the place the host finds for it.
ElementBuildError located(DocumentBuild::State const& s, foundation::json::Value const& element,
                          std::string const& pointer, std::string const& message) {
    if (auto cause = s.checker.locateError(element, pointer, message)) {
        return ElementBuildError(s.added, message, std::move(cause->pointer), std::move(cause->message));
    }
    return ElementBuildError(s.added, message, pointer);
}

} // namespace

DocumentBuild::DocumentBuild(std::unique_ptr<State> state) noexcept : state_(std::move(state)) {}
DocumentBuild::DocumentBuild(DocumentBuild&&) noexcept = default;
DocumentBuild& DocumentBuild::operator=(DocumentBuild&&) noexcept = default;
DocumentBuild::~DocumentBuild() = default;

void DocumentBuild::add(foundation::json::Value const& element) { state_->add(element, nullptr); }

std::vector<Finding> DocumentBuild::State::check(foundation::json::Value const& element) const {
    std::vector<Finding> findings;
    checker.check(element, std::string(), findings);
    return findings;
}

void DocumentBuild::State::add(foundation::json::Value const& element, std::vector<Finding> const* checked) {
    State& s = *this;
    ++s.added;
    std::string const pointer = s.elementPointer();
    bool built = false;
    try {
        for (auto const& builder : s.builders) {
            if (builder->canBuild(element)) {
                document::vxzero::Node node = builder->build(*s.model, element);
                if (node) {
                    s.result.nodes.push_back(std::move(node));
                } else {
                    s.warn("the builder gave no node; skipped", pointer);
                }
                built = true;
                break;
            }
        }
    } catch (std::exception const& e) {
        throw located(s, element, pointer, e.what());
    } catch (...) {
        throw located(s, element, pointer, "unknown exception");
    }
    if (!built) {
        s.warn(phrases::skippedMessage(element), pointer);
        return;
    }
    // What the builders left out without a word, found by the host.
    if (checked != nullptr) {
        for (Finding const& finding : *checked) {
            s.warn(finding.message, pointer + finding.pointer);
        }
        return;
    }
    std::vector<Finding> findings;
    s.checker.check(element, pointer, findings);
    for (auto& finding : findings) {
        s.warn(std::move(finding.message), std::move(finding.pointer));
    }
}

std::size_t DocumentBuild::added() const noexcept { return state_->added; }
BuildResult const& DocumentBuild::result() const noexcept { return state_->result; }
BuildResult DocumentBuild::takeResult() noexcept { return std::move(state_->result); }

} // namespace richmarkup::host
