#pragma once

namespace vx::zero {

/// A collection that owns its elements: each element stands in one owning collection at a
/// time. Every change goes through an Operation, which stages changes and applies them all
/// at its commit; an Operation that ends without a commit changes nothing.
class AbstractOwnedCollection {
public:
    class Operation {
    public:
        Operation(Operation const&) = delete;
        Operation& operator=(Operation const&) = delete;

        bool isCommitted() const noexcept { return committed_; }
        AbstractOwnedCollection& getCollection() const noexcept { return collection_; }

    protected:
        explicit Operation(AbstractOwnedCollection& collection) noexcept : collection_(collection) {}
        ~Operation() = default;
        void markCommitted() noexcept { committed_ = true; }

    private:
        AbstractOwnedCollection& collection_;
        bool committed_ = false;
    };

    AbstractOwnedCollection(AbstractOwnedCollection const&) = delete;
    AbstractOwnedCollection& operator=(AbstractOwnedCollection const&) = delete;

protected:
    AbstractOwnedCollection() = default;
    ~AbstractOwnedCollection() = default;
};

} // namespace vx::zero
