#include <vx/zero/ModelElement.hpp>

#include "ModelState.hpp"

namespace vx::zero {

ModelElement::ModelElement(Model const& model) noexcept : home_(model.state_) {}

ModelElement::~ModelElement() = default;

Model const& ModelElement::getModel() const noexcept { return *home_->model; }

void ModelElement::endAfterModel() noexcept {
    detail::ModelState* const home = home_;
    this->~ModelElement();
    if (--home->survivors == 0) {
        delete home;
    }
}

} // namespace vx::zero
