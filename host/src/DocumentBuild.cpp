#include <richmarkup/host/DocumentBuild.hpp>

#include <richmarkup/host/ElementBuildError.hpp>

#include "DocumentBuildState.hpp"
#include "ElementPhrases.hpp"

#include <exception>
#include <utility>

namespace richmarkup::host {

void DocumentBuild::State::warn(std::string message) {
    result.warnings.push_back(BuildWarning{added, std::move(message)});
    if (onWarning) {
        onWarning(result.warnings.back());
    }
}

DocumentBuild::DocumentBuild(std::unique_ptr<State> state) noexcept : state_(std::move(state)) {}
DocumentBuild::DocumentBuild(DocumentBuild&&) noexcept = default;
DocumentBuild& DocumentBuild::operator=(DocumentBuild&&) noexcept = default;
DocumentBuild::~DocumentBuild() = default;

void DocumentBuild::add(foundation::json::Value const& element) {
    State& s = *state_;
    ++s.added;
    try {
        for (auto const& builder : s.builders) {
            if (builder->canBuild(element)) {
                document::vxzero::Node node = builder->build(*s.model, element);
                if (node) {
                    s.result.nodes.push_back(std::move(node));
                } else {
                    s.warn("the builder gave no node; skipped");
                }
                return;
            }
        }
    } catch (std::exception const& e) {
        throw ElementBuildError(s.added, e.what());
    } catch (...) {
        throw ElementBuildError(s.added, "unknown exception");
    }
    s.warn(phrases::skippedMessage(element));
}

std::size_t DocumentBuild::added() const noexcept { return state_->added; }
BuildResult const& DocumentBuild::result() const noexcept { return state_->result; }
BuildResult DocumentBuild::takeResult() noexcept { return std::move(state_->result); }

} // namespace richmarkup::host
