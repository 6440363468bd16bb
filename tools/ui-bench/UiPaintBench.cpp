// Paint costs of the skinned controls and the dialog background, run by hand:
//   <build>/bench/ui_paint_bench
// A repaint is meant to cost one copy of a cached surface plus the text; the uncached case shows what
// the per-state face cache saves.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "controls/CLabel.h"
#include "controls/CZelBmpButton.h"
#include "toolkit/gtk/ImageHelpers.h"
#include "support/WideText.h"
#include "toolkit/gtk/CairoCanvas.h"
#include "toolkit/gtk/GtkTypes.h"

namespace {

using namespace tessaly;

// A folder with a 640x480 background and a 96x30 button face, drawn once for all benchmarks.
struct Images {
    std::string folder;
    Images()
    {
        char pattern[] = "/tmp/tessaly-bench-XXXXXX";
        folder = mkdtemp(pattern);
        Write("back.png", 640, 480);
        Write("face.png", 96, 30);
    }
    ~Images() { std::filesystem::remove_all(folder); }
    void Write(const char* name, int w, int h) const
    {
        SurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h));
        CairoPtr cr(cairo_create(s.get()));
        cairo_pattern_t* gradient = cairo_pattern_create_linear(0, 0, 0, h);
        cairo_pattern_add_color_stop_rgb(gradient, 0, 0.1, 0.2, 0.4);
        cairo_pattern_add_color_stop_rgb(gradient, 1, 0.9, 0.9, 0.95);
        cairo_set_source(cr.get(), gradient);
        cairo_paint(cr.get());
        cairo_pattern_destroy(gradient);
        cairo_surface_write_to_png(s.get(), (folder + "/" + name).c_str());
    }
    std::u16string Path(const char* name) const { return FromUtf8(folder + "/" + name); }
};

const Images& Shared()
{
    static Images images;
    return images;
}

void BM_BackgroundDecodeOnce(benchmark::State& state)
{
    for (auto _ : state) {
        SurfacePtr back;
        LoadImageToBitmap(back, ZelRect{}, Shared().Path("back.png"), kNoColor);
        benchmark::DoNotOptimize(back.get());
    }
}

void BM_BackgroundPaint(benchmark::State& state)
{
    SurfacePtr back;
    LoadImageToBitmap(back, ZelRect{}, Shared().Path("back.png"), kNoColor);
    SurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 640, 480));
    CairoPtr cr(cairo_create(target.get()));
    for (auto _ : state)
        PaintSurface(cr.get(), back.get(), 0, 0);
}

void ButtonPaint(benchmark::State& state, bool keepCache)
{
    CZelBmpButton button;
    button.LoadStateImages(Shared().Path("face.png"), std::nullopt, std::nullopt, std::nullopt);
    button.m_strText = u"Cancel";
    button.SetFont({});
    SurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 100, 32));
    CairoPtr cr(cairo_create(target.get()));
    toolkit::CairoCanvas canvas(cr.get());
    int width = 96;
    for (auto _ : state) {
        if (!keepCache)
            width = width == 96 ? 97 : 96;  // a new size drops the cached face
        button.Paint(canvas, width, 30);
    }
}

void BM_ButtonPaintCached(benchmark::State& state) { ButtonPaint(state, true); }
void BM_ButtonPaintRebuildingFace(benchmark::State& state) { ButtonPaint(state, false); }

void BM_LabelPaint(benchmark::State& state)
{
    SurfacePtr back = MakeSolidSurface(640, 480, 0xF0F0F0);
    CLabel label;
    label.Move({16, 442, 396, 466});
    label.CaptureBackground(toolkit::WrapSurface(std::move(back)));
    label.m_strText = u"Preparing a secure connection to your network services...";
    SurfacePtr target(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 380, 24));
    CairoPtr cr(cairo_create(target.get()));
    toolkit::CairoCanvas canvas(cr.get());
    for (auto _ : state)
        label.Paint(canvas, 380, 24);
}

BENCHMARK(BM_BackgroundDecodeOnce);
BENCHMARK(BM_BackgroundPaint);
BENCHMARK(BM_ButtonPaintCached);
BENCHMARK(BM_ButtonPaintRebuildingFace);
BENCHMARK(BM_LabelPaint);

}  // namespace

BENCHMARK_MAIN();
