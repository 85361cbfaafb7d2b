#pragma once

#include <vx/zero/Export.hpp>
#include <vx/zero/meta/Type.hpp>

#include <cstdint>

namespace vx::zero {

class Model;
template <class T>
class ElementSequence;
namespace detail {
struct ModelState;
}

/// Anything a model owns. The model keeps its elements on an intrusive list, so owning one
/// costs no allocation of its own, and ends them all when it ends. Handles count themselves
/// on the element: an element that still has handles when its model ends is kept, emptied
/// of references to other elements, until its last handle goes.
class RICHMARKUP_MODEL_EXPORT ModelElement {
public:
    ModelElement(ModelElement const&) = delete;
    ModelElement& operator=(ModelElement const&) = delete;

    /// The owning model; not to be asked once the model has ended.
    Model const& getModel() const noexcept;
    virtual meta::Type const& getType() const noexcept = 0;
    /// Whether both elements were created in the same model; safe after a model ended.
    bool sharesModelWith(ModelElement const& other) const noexcept { return home_ == other.home_; }

    // For counted handles.
    std::uint32_t handleCount() const noexcept { return handles_; }
    void retainHandle() noexcept { ++handles_; }
    void releaseHandle() noexcept {
        if (--handles_ == 0 && outlivedModel_) {
            endAfterModel();
        }
    }

protected:
    explicit ModelElement(Model const& model) noexcept;
    virtual ~ModelElement();

    /// Drops every reference to other elements. The model calls it on all its elements
    /// before it ends any, so no element is reached after its end.
    virtual void releaseReferences() noexcept {}

private:
    friend class Model;
    template <class T>
    friend class ElementSequence; // keeps its handles in the model's blocks
    void endAfterModel() noexcept;

    detail::ModelState* home_;
    ModelElement* nextInModel_ = nullptr;
    std::uint32_t handles_ = 0;
    bool outlivedModel_ = false;
};

} // namespace vx::zero
