#include <vx/zero/ElementSequence.hpp>

#include "ModelState.hpp"
#include <fl/i18n/Utf8Encoder.hpp>

#include <document/vxzero/Node.hpp>
#include <vx/zero/Exception.hpp>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <utility>

namespace vx::zero {
namespace {

template <class Element>
std::string qualifiedNameOf(Element const& element) {
    std::string name;
    fl::i18n::appendUtf8(name, element.getType().getImpl()->getQualifiedName(), fl::i18n::LoneSurrogate::Replace);
    return name;
}

} // namespace

template <class T>
ElementSequence<T>::Operation::Operation(ElementSequence& sequence) noexcept
    : AbstractOwnedCollection::Operation(sequence), sequence_(sequence) {}

template <class T>
void ElementSequence<T>::Operation::add(T const& element) {
    if (isCommitted()) {
        throw Exception(messages::catalog, messages::operationAlreadyCommitted, {});
    }
    if (!element) {
        return;
    }
    if (!first_) {
        first_ = element;
    } else {
        more_.push_back(element);
    }
}

template <class T>
void ElementSequence<T>::Operation::commit() {
    if (isCommitted()) {
        throw Exception(messages::catalog, messages::operationAlreadyCommitted, {});
    }
    // Check everything before changing anything, so a refused element leaves the sequence,
    // and every other sequence, as it was.
    if (first_) {
        sequence_.check(first_);
    }
    for (T const& element : more_) {
        sequence_.check(element);
    }
    sequence_.reserveFor((first_ ? 1 : 0) + more_.size());
    if (first_) {
        sequence_.append(first_);
    }
    for (T const& element : more_) {
        sequence_.append(element);
    }
    markCommitted();
    first_ = T();
    more_.clear();
}

template <class T>
void ElementSequence<T>::add(T const& element) {
    if (!element) {
        return;
    }
    // What an Operation staging this one element would do at commit, without staging it.
    check(element);
    reserveFor(1);
    append(element);
}

template <class T>
void ElementSequence<T>::check(T const& element) const {
    Owner const& candidate = *element.getImpl();
    if (!candidate.sharesModelWith(owner_)) {
        throw Exception(messages::catalog, messages::cannotCastIncompatibleTypes, {qualifiedNameOf(candidate)});
    }
    if (!owner_.hasChildSequence()) {
        throw Exception(messages::catalog, messages::elementHoldsNoChildren, {qualifiedNameOf(owner_)});
    }
    if (candidate.container_ == this) {
        return; // already held: append skips it
    }
    // A node inside itself would make the tree a loop that no walk ever leaves. Only a node
    // with children can be an ancestor of the owner, so adding a fresh node, or adding to a
    // node not yet placed (the usual bottom-up build), costs no walk.
    bool loops = &candidate == &owner_;
    if (!loops && !candidate.children_.empty()) {
        for (Owner const* ancestor = owner_.getParent(); ancestor != nullptr; ancestor = ancestor->getParent()) {
            if (ancestor == &candidate) {
                loops = true;
                break;
            }
        }
    }
    if (loops) {
        throw Exception(messages::catalog, messages::cannotContainItself, {qualifiedNameOf(candidate)});
    }
}

template <class T>
ElementSequence<T>::~ElementSequence() {
    releaseAll(); // the storage itself goes with the model's blocks
}

template <class T>
T const& ElementSequence<T>::at(std::size_t index) const {
    if (index >= size_) {
        throw std::out_of_range("ElementSequence::at: index " + std::to_string(index) + " of " + std::to_string(size_));
    }
    return items_[index];
}

template <class T>
void ElementSequence<T>::releaseAll() noexcept {
    for (std::uint32_t i = size_; i > 0; --i) {
        items_[i - 1].~T();
    }
    size_ = 0;
}

template <class T>
void ElementSequence<T>::reserveFor(std::size_t count) {
    std::size_t const needed = size_ + count;
    if (needed <= capacity_) {
        return;
    }
    // Grow geometrically: reserving the exact size on every add would copy on every add.
    // Start at a few: most nodes get their children one by one. The old room stays in the
    // model's block, unused: at most as much again as the handles need.
    constexpr std::size_t kFirstCapacity = 4;
    std::size_t const capacity = std::max({needed, std::size_t(capacity_) * 2, kFirstCapacity});
    if (capacity > UINT32_MAX) {
        throw std::length_error("ElementSequence: too many elements");
    }
    detail::ModelState& home = *static_cast<ModelElement const&>(owner_).home_;
    T* const moved = static_cast<T*>(home.allocate(capacity * sizeof(T), alignof(T)));
    for (std::uint32_t i = 0; i < size_; ++i) {
        new (moved + i) T(std::move(items_[i]));
        items_[i].~T();
    }
    items_ = moved;
    capacity_ = static_cast<std::uint32_t>(capacity);
}

template <class T>
void ElementSequence<T>::append(T const& element) noexcept {
    Owner& node = *element.getImpl();
    if (node.container_ == this) {
        return;
    }
    if (node.container_ != nullptr) {
        node.container_->detach(node);
    }
    new (items_ + size_) T(element); // capacity reserved: cannot throw
    ++size_;
    node.container_ = this;
}

template <class T>
void ElementSequence<T>::detach(Owner const& element) noexcept {
    T* const found = std::find_if(items_, items_ + size_, [&](T const& item) { return item.getImpl() == &element; });
    if (found == items_ + size_) {
        return;
    }
    std::move(found + 1, items_ + size_, found);
    --size_;
    items_[size_].~T();
}

template class ElementSequence<document::vxzero::Node>;

} // namespace vx::zero
