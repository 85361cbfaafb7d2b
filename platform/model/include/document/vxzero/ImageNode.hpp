#pragma once

#include <document/vxzero/Node.hpp>
#include <quillix/contentmodel/vxzero/ImageData.hpp>
#include <vx/zero/Export.hpp>

#include <boost/uuid/uuid.hpp>

#include <optional>
#include <string>
#include <utility>

namespace document::vxzero {

/// An inline image.
class RICHMARKUP_MODEL_EXPORT ImageNode : public Node {
public:
    class Impl;
    class Builder;

    ImageNode() noexcept = default;
    Impl* getImpl() const noexcept;
    Impl* operator->() const noexcept { return getImpl(); }

protected:
    explicit ImageNode(Node::Impl* impl) noexcept : Node(impl) {}

private:
    friend struct detail::NodeAccess;
};

class RICHMARKUP_MODEL_EXPORT ImageNode::Impl final : public Node::Impl {
public:
    using Node::Impl::Impl;
    ~Impl() override;
    NodeKind getKind() const noexcept override { return NodeKind::ImageNode; }

    void setId(std::u16string const& value) { id_ = value; }
    void setId(std::u16string&& value) { id_ = std::move(value); }
    void setData(quillix::contentmodel::vxzero::ImageData const& value) { data_ = value; }
    void setData(quillix::contentmodel::vxzero::ImageData&& value) { data_ = std::move(value); }
    std::optional<std::u16string> const& getId() const noexcept { return id_; }
    std::optional<quillix::contentmodel::vxzero::ImageData> const& getData() const noexcept { return data_; }

private:
    std::optional<std::u16string> id_;
    std::optional<quillix::contentmodel::vxzero::ImageData> data_;
};

/// Creates ImageNode nodes in one model; every call gives a new node.
class RICHMARKUP_MODEL_EXPORT ImageNode::Builder {
public:
    explicit Builder(vx::zero::Model const& model) noexcept : model_(model) {}
    ImageNode createImageNode(boost::uuids::uuid const& uuid) const;

private:
    vx::zero::Model const& model_;
};

inline ImageNode::Impl* ImageNode::getImpl() const noexcept { return static_cast<Impl*>(Node::getImpl()); }

} // namespace document::vxzero
