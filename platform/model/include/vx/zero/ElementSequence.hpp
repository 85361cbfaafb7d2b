#pragma once

#include <vx/zero/AbstractOwnedCollection.hpp>
#include <vx/zero/Export.hpp>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vx::zero {

/// The ordered children of one owner element. The sequence is unique: an element stands in
/// it at most once, and in one sequence at a time, so adding an element held elsewhere moves
/// it here. T is a counted handle whose T::Impl is the element type. The handles live in
/// the model's own blocks, as the elements do, so a sequence costs no allocation.
template <class T>
class RICHMARKUP_MODEL_EXPORT ElementSequence : public AbstractOwnedCollection {
public:
    using Owner = typename T::Impl;
    using value_type = T;
    using const_iterator = T const*;

    /// Stages additions and applies them together at commit(). commit() first checks every
    /// staged element and throws vx::zero::Exception, changing nothing, if one cannot be
    /// added: one of another model, the owner itself or one of its ancestors, or any element
    /// when the owner holds no children.
    class Operation : public AbstractOwnedCollection::Operation {
    public:
        explicit Operation(ElementSequence& sequence) noexcept;
        /// Stages `element` at the end; a null element is ignored.
        void add(T const& element);
        void commit();

    private:
        ElementSequence& sequence_;
        // One staged element needs no allocation: the common case is a single add.
        T first_;
        std::vector<T> more_;
    };

    explicit ElementSequence(Owner& owner) noexcept : owner_(owner) {}
    ~ElementSequence();
    ElementSequence(ElementSequence const&) = delete;
    ElementSequence& operator=(ElementSequence const&) = delete;

    /// Appends `element` at the end, as one committed Operation would. A null element is ignored
    /// and one already held is skipped; one held by another sequence moves here.
    void add(T const& element);

    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    T const& operator[](std::size_t index) const noexcept { return items_[index]; }
    /// As operator[], but an index past the end throws std::out_of_range.
    T const& at(std::size_t index) const;
    const_iterator begin() const noexcept { return items_; }
    const_iterator end() const noexcept { return items_ + size_; }
    Owner& getOwner() const noexcept { return owner_; }

private:
    friend Owner;

    void check(T const& element) const;
    void reserveFor(std::size_t count);
    void append(T const& element) noexcept;
    void detach(Owner const& element) noexcept;
    // Only for the model's end: lets go of every child without touching them.
    void releaseAll() noexcept;

    Owner& owner_;
    T* items_ = nullptr;
    std::uint32_t size_ = 0;
    std::uint32_t capacity_ = 0;
};

} // namespace vx::zero
