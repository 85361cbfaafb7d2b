#pragma once

#include <vx/zero/Export.hpp>

#include <cstddef>
#include <new>
#include <utility>

namespace vx::zero {

class ModelElement;
namespace detail {
struct ModelState;
}

/// Owns every element created in it: a build that throws halfway leaks nothing, and the
/// model's end destroys every element that no handle holds any more. An element still held
/// then is emptied of its references to other elements and ends with its last handle, so
/// handles may outlive the model (to be dropped, copied or compared, not read).
/// Elements are carved out of large blocks, so creating one costs a pointer bump. Creation
/// goes through a const model because builders hold the model by const reference; only the
/// allocation state changes. A model and its elements serve one thread at a time.
class RICHMARKUP_MODEL_EXPORT Model {
public:
    Model();
    ~Model();
    Model(Model const&) = delete;
    Model& operator=(Model const&) = delete;

    /// Elements (nodes) created so far.
    std::size_t nodeCount() const noexcept;
    /// How often any node's type name was asked for.
    std::size_t typeNameQueries() const noexcept;

    /// Maps the pages of the block the model will carve elements out of next, so that the
    /// thread creating elements does not stop for a page fault at every 4 KiB. The one call
    /// meant for another thread than the model's, running while elements are created: a
    /// reader ahead of a long build calls it now and then. Cheap when there is nothing new.
    void warmAhead() const noexcept;
    void noteTypeNameQuery() const noexcept;

    /// Creates an element of type ElementT, constructed from this model and `args`.
    template <class ElementT, class... Args>
    ElementT& create(Args&&... args) const {
        void* storage = allocate(sizeof(ElementT), alignof(ElementT));
        // Should the constructor throw, the storage stays in the block: wasted, not leaked.
        auto* element = ::new (storage) ElementT(*this, std::forward<Args>(args)...);
        adopt(*element);
        return *element;
    }

private:
    friend class ModelElement;
    void* allocate(std::size_t size, std::size_t alignment) const;
    void adopt(ModelElement& element) const noexcept;

    // Outlives the model while elements it holds still have handles.
    detail::ModelState* state_;
};

} // namespace vx::zero
