#include <vx/zero/Model.hpp>

#include "ModelState.hpp"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14; older kernels answer EINVAL and nothing is mapped
#endif

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
    // Blocks are only freed with the model, which outlives the build that calls this.
    auto const page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    auto const start = (reinterpret_cast<std::uintptr_t>(block) + page - 1) & ~(page - 1);
    auto const end = (reinterpret_cast<std::uintptr_t>(block) + detail::ModelState::largestBlockSize) & ~(page - 1);
    if (end > start) {
        (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_POPULATE_WRITE);
    }
}

void Model::noteTypeNameQuery() const noexcept { ++state_->typeNameQueries; }

void* Model::allocate(std::size_t size, std::size_t alignment) const { return state_->allocate(size, alignment); }

void Model::adopt(ModelElement& element) const noexcept {
    element.nextInModel_ = state_->newest;
    state_->newest = &element;
    ++state_->elements;
}

} // namespace vx::zero
