#include "shared/picture_box.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "shared/rounding.h"

namespace core {

namespace {

std::size_t PixelCount(int width, int height) {
    if (width < 0 || height < 0) {
        throw std::invalid_argument("picture size must not be negative");
    }
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// A drawing coordinate as a pixel index. Far-away values are pinned just outside any image
// so that the clipping below stays in integer range.
std::int64_t ToPixel(float v) {
    const double r = RoundHalfEven(static_cast<double>(v));
    if (std::isnan(r)) {
        return -1;
    }
    return static_cast<std::int64_t>(std::clamp(r, -1.0e9, 1.0e9));
}

}  // namespace

PictureBox::PictureBox(int width, int height, ColorRef backColor) : backColor_(backColor) {
    Resize(width, height);
}

void PictureBox::Resize(int width, int height) {
    const std::size_t count = PixelCount(width, height);
    width_ = width;
    height_ = height;
    picture_.reset();
    image_.assign(count, ColorRefToRgb32(backColor_));
}

void PictureBox::Cls() {
    if (picture_) {
        std::copy(picture_->begin(), picture_->end(), image_.begin());
    } else {
        std::fill(image_.begin(), image_.end(), ColorRefToRgb32(backColor_));
    }
}

void PictureBox::SetPixelV(std::int32_t x, std::int32_t y, ColorRef colour) {
    if (Inside(x, y)) {
        image_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
               static_cast<std::size_t>(x)] = ColorRefToRgb32(colour & 0xFFFFFFu);
    }
}

ColorRef PictureBox::GetPixel(std::int32_t x, std::int32_t y) const {
    if (!Inside(x, y)) {
        return kInvalidColor;
    }
    return Rgb32ToColorRef(PixelAt(x, y));
}

void PictureBox::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                        const PictureBox& src, std::int32_t sx, std::int32_t sy, RasterOp op) {
    // Work in 64 bits so that no offset below can overflow, then clip the block against the
    // source and the destination alike.
    std::int64_t dx0 = x, dy0 = y, sx0 = sx, sy0 = sy;
    std::int64_t cw = w, ch = h;
    auto clipLow = [](std::int64_t& a, std::int64_t& b, std::int64_t& len) {
        const std::int64_t cut = std::max<std::int64_t>({0, -a, -b});
        a += cut;
        b += cut;
        len -= cut;
    };
    clipLow(dx0, sx0, cw);
    clipLow(dy0, sy0, ch);
    cw = std::min({cw, width_ - dx0, src.width_ - sx0});
    ch = std::min({ch, height_ - dy0, src.height_ - sy0});
    if (cw <= 0 || ch <= 0) {
        return;
    }
    for (std::int64_t row = 0; row < ch; ++row) {
        Rgb32* d = image_.data() + (dy0 + row) * width_ + dx0;
        const Rgb32* s = src.image_.data() + (sy0 + row) * src.width_ + sx0;
        if (op == RasterOp::SrcAnd) {
            for (std::int64_t i = 0; i < cw; ++i) {
                d[i] &= s[i];
            }
        } else {
            for (std::int64_t i = 0; i < cw; ++i) {
                d[i] |= s[i];
            }
        }
    }
}

void PictureBox::Line(float x1, float y1, float x2, float y2, ColorRef colour, BoxStyle style) {
    std::int64_t left = ToPixel(x1), right = ToPixel(x2);
    std::int64_t top = ToPixel(y1), bottom = ToPixel(y2);
    if (left > right) {
        std::swap(left, right);
    }
    if (top > bottom) {
        std::swap(top, bottom);
    }
    const Rgb32 pixel = ColorRefToRgb32(colour & 0xFFFFFFu);
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t x1c = std::min<std::int64_t>(right, width_ - 1);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t y1c = std::min<std::int64_t>(bottom, height_ - 1);
    for (std::int64_t y = y0; y <= y1c; ++y) {
        Rgb32* row = image_.data() + y * width_;
        const bool edgeRow = y == top || y == bottom;
        for (std::int64_t x = x0; x <= x1c; ++x) {
            if (style == BoxStyle::Filled || edgeRow || x == left || x == right) {
                row[x] = pixel;
            }
        }
    }
}

void PictureBox::InstallImageAsPicture() {
    picture_ = image_;
}

void PictureBox::SetPicture(int width, int height, std::vector<Rgb32> pixels) {
    if (pixels.size() != PixelCount(width, height)) {
        throw std::invalid_argument("picture pixel count does not match its size");
    }
    width_ = width;
    height_ = height;
    image_ = pixels;
    picture_ = std::move(pixels);
}

void PictureBox::ClearPicture() {
    picture_.reset();
}

void PictureBox::Refresh() const {
    if (presenter_) {
        presenter_(*this);
    }
}

std::span<const Rgb32> PictureBox::Picture() const {
    if (!picture_) {
        return {};
    }
    return *picture_;
}

}  // namespace core
