#pragma once

#include <string>

namespace vx::zero::meta {

/// The meta type of a model element: what the element is, by its qualified name.
class Type {
public:
    class Impl {
    public:
        explicit Impl(std::u16string const& qualifiedName) : qualifiedName_(qualifiedName) {}
        std::u16string const& getQualifiedName() const noexcept { return qualifiedName_; }

    private:
        std::u16string qualifiedName_;
    };

    explicit Type(std::u16string const& qualifiedName) : impl_(qualifiedName) {}
    Impl const* getImpl() const noexcept { return &impl_; }

private:
    Impl impl_;
};

} // namespace vx::zero::meta
