#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace quillix::contentmodel::vxzero {

/// Where an image comes from and how it is laid out. Each field remembers whether it was set.
class ImageData {
public:
    ImageData& setImgSrc(std::u16string const& value) {
        imgSrc_ = value;
        return *this;
    }
    ImageData& setImgSrc(std::u16string&& value) {
        imgSrc_ = std::move(value);
        return *this;
    }
    ImageData& setHeight(std::uint64_t value) {
        height_ = value;
        return *this;
    }
    ImageData& setWidth(std::uint64_t value) {
        width_ = value;
        return *this;
    }
    ImageData& setAltText(std::u16string const& value) {
        altText_ = value;
        return *this;
    }
    ImageData& setAltText(std::u16string&& value) {
        altText_ = std::move(value);
        return *this;
    }
    ImageData& setVerticalAlignment(std::u16string const& value) {
        verticalAlignment_ = value;
        return *this;
    }
    ImageData& setVerticalAlignment(std::u16string&& value) {
        verticalAlignment_ = std::move(value);
        return *this;
    }

    std::optional<std::u16string> const& getImgSrc() const noexcept { return imgSrc_; }
    std::optional<std::uint64_t> const& getHeight() const noexcept { return height_; }
    std::optional<std::uint64_t> const& getWidth() const noexcept { return width_; }
    std::optional<std::u16string> const& getAltText() const noexcept { return altText_; }
    std::optional<std::u16string> const& getVerticalAlignment() const noexcept { return verticalAlignment_; }

    friend bool operator==(ImageData const& a, ImageData const& b) noexcept {
        return a.imgSrc_ == b.imgSrc_ && a.height_ == b.height_ && a.width_ == b.width_ && a.altText_ == b.altText_ &&
               a.verticalAlignment_ == b.verticalAlignment_;
    }
    friend bool operator!=(ImageData const& a, ImageData const& b) noexcept { return !(a == b); }

private:
    std::optional<std::u16string> imgSrc_;
    std::optional<std::uint64_t> height_;
    std::optional<std::uint64_t> width_;
    std::optional<std::u16string> altText_;
    std::optional<std::u16string> verticalAlignment_;
};

} // namespace quillix::contentmodel::vxzero
