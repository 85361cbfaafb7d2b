#pragma once

#include <document/vxzero/Node.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// A block of example code; its children are its lines.
class RICHMARKUP_MODEL_EXPORT CodeExampleBlock : public Node {
public:
    class Impl;
    class Builder;

    CodeExampleBlock() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit CodeExampleBlock(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT CodeExampleBlock::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::CodeExampleBlock; }

    void setCodeExampleType(std::u16string const& value) { codeExampleType_ = value; }
    void setCodeExampleType(std::u16string&& value) { codeExampleType_ = std::move(value); }
    std::optional<std::u16string> const& getCodeExampleType() const noexcept { return codeExampleType_; }

private:
    std::optional<std::u16string> codeExampleType_;
};

/// Creates CodeExampleBlock nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT CodeExampleBlock::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    CodeExampleBlock createCodeExampleBlock(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline CodeExampleBlock::Impl* CodeExampleBlock::getImpl() const noexcept {
    return static_cast<Impl*>(Node::getImpl());
}

} // namespace document::vxzero
