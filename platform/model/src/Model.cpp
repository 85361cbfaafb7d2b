#include <vx/zero/Model.hpp>

#include "ModelState.hpp"

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

void Model::noteTypeNameQuery() const noexcept { ++state_->typeNameQueries; }

void* Model::allocate(std::size_t size, std::size_t alignment) const { return state_->allocate(size, alignment); }

void Model::adopt(ModelElement& element) const noexcept {
    element.nextInModel_ = state_->newest;
    state_->newest = &element;
    ++state_->elements;
}

} // namespace vx::zero
