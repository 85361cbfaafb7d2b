#include <vx/zero/Model.hpp>

#include "ModelState.hpp"

#include <foundation/memory/Pages.hpp>

namespace vx::zero {

Model::Model() : state_(new detail::ModelState(*this)) {}

Model::~Model() {
    detail::ModelState* const state = state_;
    state->model = nullptr;
    // Elements refer to each other (a parent holds handles on its children), so first every
    // element lets go of the others; then those no handle holds end, in any order.
    for (ModelElement* element = state->newest; element != nullptr; element = element->nextInModel_) {
        element->releaseReferences();
    }
    for (ModelElement* element = state->newest; element != nullptr;) {
        ModelElement* const next = element->nextInModel_;
        if (element->handles_ == 0) {
            element->~ModelElement();
        } else {
            element->outlivedModel_ = true;
            ++state->survivors;
        }
        element = next;
    }
    if (state->survivors == 0) {
        delete state;
    }
}

std::size_t Model::nodeCount() const noexcept { return state_->elements; }

std::size_t Model::typeNameQueries() const noexcept { return state_->typeNameQueries; }

void Model::warmAhead() const noexcept {
    detail::ModelState& state = *state_;
    std::byte* const block = state.warmable.load(std::memory_order_acquire);
    if (block == nullptr || state.warmed.exchange(block, std::memory_order_relaxed) == block) {
        return;
    }
    // Mapping changes no byte, so the model's thread may already be writing in the block.
    // Blocks are only freed with the model, which outlives the build that calls this. Where the
    // system cannot map ahead, the model's thread maps the block as it fills it.
    (void)foundation::memory::populate(block, detail::ModelState::largestBlockSize);
}

void Model::noteTypeNameQuery() const noexcept { ++state_->typeNameQueries; }

void* Model::allocate(std::size_t size, std::size_t alignment) const { return state_->allocate(size, alignment); }

void Model::adopt(ModelElement& element) const noexcept {
    element.nextInModel_ = state_->newest;
    state_->newest = &element;
    ++state_->elements;
}

} // namespace vx::zero
