#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "shared/colour.h"

namespace core {

enum class RasterOp {
    SrcAnd,    // destination AND source
    SrcPaint,  // destination OR source
};

enum class BoxStyle { Outline, Filled };

// A picture surface: a working image (the pixels everything draws into), an optional background
// picture, a background colour, and a presenter that Refresh hands the working image to. The
// toolkit adapters install the presenter; the core never sees a window.
class PictureBox {
  public:
    using Presenter = std::function<void(const PictureBox&)>;

    PictureBox() = default;
    PictureBox(int width, int height, ColorRef backColor = kWhite);

    int Width() const { return width_; }
    int Height() const { return height_; }
    float ScaleWidth() const { return static_cast<float>(width_); }
    float ScaleHeight() const { return static_cast<float>(height_); }

    // New drawable size. The background picture is dropped and the working image starts filled
    // with the background colour.
    void Resize(int width, int height);

    ColorRef BackColor() const { return backColor_; }
    void SetBackColor(ColorRef c) { backColor_ = c; }

    // Reset the working image to the background picture, or to the background colour.
    void Cls();

    // Set one pixel; positions outside the image have no effect.
    void SetPixelV(std::int32_t x, std::int32_t y, ColorRef colour);
    // Read one pixel; kInvalidColor outside the image.
    ColorRef GetPixel(std::int32_t x, std::int32_t y) const;

    // Combine the w x h block of src at (sx, sy) into this image at (x, y), clipped to both
    // images: a ball may stand half outside the playfield.
    void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                const PictureBox& src, std::int32_t sx, std::int32_t sy, RasterOp op);

    // The box between two corners. Corners round to pixels with halves to even; both corner
    // pixels are part of the box; the box is clipped to the image.
    void Line(float x1, float y1, float x2, float y2, ColorRef colour, BoxStyle style);

    // Picture = Image: the working image becomes the background picture.
    void InstallImageAsPicture();
    // Picture = LoadPicture(...): the surface takes the picture's size and the working image
    // shows it. pixels are Rgb32, row-major, width * height of them.
    void SetPicture(int width, int height, std::vector<Rgb32> pixels);
    // Picture = empty picture. The working image keeps what it shows.
    void ClearPicture();
    bool HasPicture() const { return picture_.has_value(); }

    // Copy the working image to the screen, through the presenter (nothing without one).
    void Refresh() const;
    void SetPresenter(Presenter presenter) { presenter_ = std::move(presenter); }

    // The working image, row-major Rgb32 (0x00RRGGBB), Width() pixels a row.
    std::span<Rgb32> Image() { return image_; }
    std::span<const Rgb32> Image() const { return image_; }
    Rgb32 PixelAt(int x, int y) const {
        return image_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                      static_cast<std::size_t>(x)];
    }
    std::span<const Rgb32> Picture() const;  // empty without a background picture

  private:
    bool Inside(std::int32_t x, std::int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }

    int width_ = 0;
    int height_ = 0;
    ColorRef backColor_ = kWhite;
    std::vector<Rgb32> image_;
    std::optional<std::vector<Rgb32>> picture_;
    Presenter presenter_;
};

}  // namespace core
