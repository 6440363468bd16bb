#pragma once
// The canvas on a cairo context: a widget being drawn, or an image surface.
#include <cairo.h>

#include "toolkit/Canvas.h"

namespace tessaly::toolkit {

class CairoCanvas : public Canvas {
public:
    // Draws through `cr`, which the caller keeps alive.
    explicit CairoCanvas(cairo_t* cr) : m_cr(cr) {}

    double Scale() const override;
    void Fill(ZelColor color) override;
    void FillRect(const ZelRect& rect, ZelColor color) override;
    void CopyImage(const Image& image, int x, int y) override;
    void DrawImage(const Image& image, const ZelRect& dest) override;
    void DrawImagePart(const Image& image, int srcX, int srcY, const ZelRect& dest) override;
    void PaintText(std::u16string_view text, const Font& font, bool underline, const ZelRect& rect,
                  std::uint32_t format, ZelColor color) override;
    ZelRect MeasureText(std::u16string_view text, int width, const Font& font) override;
    void DrawFocusRect(const ZelRect& rect) override;
    void PushRegion(const ZelRect& rect) override;
    void PopRegion() override;

    cairo_t* Context() const { return m_cr; }

private:
    cairo_t* m_cr;
};

}  // namespace tessaly::toolkit
