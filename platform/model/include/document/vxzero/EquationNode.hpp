#pragma once

#include <document/vxzero/Node.hpp>
#include <quillix/contentmodel/vxzero/EquationData.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// An inline equation given as TeX.
class RICHMARKUP_MODEL_EXPORT EquationNode : public Node {
public:
    class Impl;
    class Builder;

    EquationNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit EquationNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT EquationNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::EquationNode; }

    void setTexString(std::u16string const& value) { texString_ = value; }
    void setTexString(std::u16string&& value) { texString_ = std::move(value); }
    void setEquationData(quillix::contentmodel::vxzero::EquationData const& value) { equationData_ = value; }
    void setEquationData(quillix::contentmodel::vxzero::EquationData&& value) { equationData_ = std::move(value); }
    std::optional<std::u16string> const& getTexString() const noexcept { return texString_; }
    std::optional<quillix::contentmodel::vxzero::EquationData> const& getEquationData() const noexcept {
        return equationData_;
    }

private:
    std::optional<std::u16string> texString_;
    std::optional<quillix::contentmodel::vxzero::EquationData> equationData_;
};

/// Creates EquationNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT EquationNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    EquationNode createEquationNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline EquationNode::Impl* EquationNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
