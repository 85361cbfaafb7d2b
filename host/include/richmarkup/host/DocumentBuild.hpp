#pragma once

#include <richmarkup/host/BuildResult.hpp>
#include <richmarkup/host/BuildWarning.hpp>
#include <richmarkup/host/Export.hpp>

#include <foundation/json/Value.hpp>

#include <cstddef>
#include <functional>
#include <memory>

namespace vx::zero {
class Model;
}

namespace richmarkup::host {

/// One build of a document into a model, fed one top-level element at a time, so that a caller
/// holding a large document can let each element go once it is built. Made by
/// DocumentHost::begin; the block builders it uses are those registered when it was made.
class DocumentBuild {
public:
    using WarningHandler = std::function<void(BuildWarning const&)>;

    RICHMARKUP_HOST_EXPORT DocumentBuild(DocumentBuild&&) noexcept;
    RICHMARKUP_HOST_EXPORT DocumentBuild& operator=(DocumentBuild&&) noexcept;
    RICHMARKUP_HOST_EXPORT ~DocumentBuild();

    /// Builds the next top-level element with the first block builder that accepts it; one that
    /// none accepts is skipped with a warning. Throws ElementBuildError, numbered from 1 in
    /// the order of the calls, when a builder throws.
    RICHMARKUP_HOST_EXPORT void add(foundation::json::Value const& element);
    /// Top-level elements added so far.
    RICHMARKUP_HOST_EXPORT std::size_t added() const noexcept;
    /// The nodes and warnings so far.
    RICHMARKUP_HOST_EXPORT BuildResult const& result() const noexcept;
    /// Hands the result over; the build is then empty.
    RICHMARKUP_HOST_EXPORT BuildResult takeResult() noexcept;

    struct State;

private:
    friend class DocumentHost;
    explicit DocumentBuild(std::unique_ptr<State> state) noexcept;
    std::unique_ptr<State> state_;
};

} // namespace richmarkup::host
