#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

namespace document::vxzero {

/// One line of a code example; its children are code text runs.
class RICHMARKUP_MODEL_EXPORT CodeExampleLine : public Node {
public:
    class Impl;
    class Builder;

    CodeExampleLine() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit CodeExampleLine(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT CodeExampleLine::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::CodeExampleLine; }
};

/// Creates CodeExampleLine nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT CodeExampleLine::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    CodeExampleLine createCodeExampleLine(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline CodeExampleLine::Impl* CodeExampleLine::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
