// The export drawn by gerbv beside the editor's own drawing of the same aperture at the same scale.
// Without gerbv the whole program reports a skip (77).
#include "gerber/gerber.h"

#include "lumbra/cairo_canvas.h"
#include "lumbra/document.h"
#include "lumbra/view.h"

#include "platform/format.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>

using namespace lumbra;

namespace {

namespace fs = std::filesystem;

// 800 x 800 pixels over +-0.2 inch: 2000 pixels an inch, the origin in the middle. (Moving gerbv's
// window by half a pixel either way only makes the pictures differ more.)
constexpr int kSize = 800;
constexpr int kDpi = 2000;
constexpr double kHalfInch = 0.2;
// Shapes are tens to hundreds of pixels across, so edge pixels that the two rasterizers decide
// differently stay under two in a hundred of the dark ones (1.4% measured); a shift of a few pixels,
// a scale off by a tenth, a mirror, a wrong unit or a lost primitive each leave more than five.
constexpr double kMaxDifferingShare = 0.03;

std::string gerbvProgram() {
    const char* env = std::getenv("GERBV");
    return env && *env ? env : "gerbv";
}

bool gerbvAvailable() {
    std::string cmd = "command -v '" + gerbvProgram() + "' > /dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

fs::path artifacts() {
    fs::path d = fs::path(LUMBRA_ARTIFACTS);
    fs::create_directories(d);
    return d;
}

enum class Px { Dark, Clear, Ignored };

struct Picture {
    std::vector<Px> px;
};

// The editor's own drawing: the view over +-0.2 inch on a 400 x 400 Cairo image.
Picture editorPicture(ApertureRecord& source, const fs::path& png) {
    SilentMessages msgs;
    CLumbraDoc doc(msgs);
    doc.OnNewDocument();
    PrimitiveList copies;
    for (const auto& p : source.primitives())
        copies.push_back(std::make_unique<PrimitiveRecord>(*p));
    doc.aperture().adopt(source.name(), 0, 0, std::move(copies));
    CairoCanvas canvas(kSize, kSize);
    CLumbraView view(doc);
    view.attachCanvas(&canvas);
    const std::int32_t half = static_cast<std::int32_t>(kHalfInch * kUnitsPerInch);
    view.window = ViewWindow{-half, -half, half, half};
    view.cullHidden = false;
    view.paint();
    canvas.writePng(png.string());
    Picture out;
    for (std::uint32_t v : canvas.pixels()) {
        // The origin marker is white; what lies under it is not known.
        if (v == 0xffffffu)
            out.px.push_back(Px::Ignored);
        else
            out.px.push_back(v == 0x0000ffu ? Px::Dark : Px::Clear);
    }
    return out;
}

// gerbv's drawing of a file, blue on black without antialiasing, over the same window.
bool gerbvPicture(const fs::path& gbr, const fs::path& png, Picture& out, std::string& why) {
    std::string cmd = korvane::format("'%s' -x png --dpi=%d --origin=%gx%g --window=%dx%d -B 0 -b '#000000' "
                                      "-f '#0000FFFF' -o '%s' '%s' > '%s.log' 2>&1",
                                      gerbvProgram().c_str(), kDpi, -kHalfInch, -kHalfInch, kSize, kSize,
                                      png.c_str(), gbr.c_str(), png.c_str());
    fs::remove(png);
    if (std::system(cmd.c_str()) != 0 || !fs::exists(png)) {
        why = "gerbv failed: " + cmd;
        return false;
    }
    cairo_surface_t* s = cairo_image_surface_create_from_png(png.c_str());
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS || cairo_image_surface_get_width(s) != kSize ||
        cairo_image_surface_get_height(s) != kSize) {
        why = "gerbv's picture is not a readable 400 x 400 PNG";
        cairo_surface_destroy(s);
        return false;
    }
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    out.px.clear();
    for (int y = 0; y < kSize; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t(y) * stride);
        for (int x = 0; x < kSize; ++x) {
            std::uint32_t v = row[x];
            bool blue = (v & 0xff) > 128 && ((v >> 16) & 0xff) < 128 && ((v >> 8) & 0xff) < 128;
            out.px.push_back(blue ? Px::Dark : Px::Clear);
        }
    }
    cairo_surface_destroy(s);
    return true;
}

struct Comparison {
    long dark = 0;      // pixels dark in either picture
    long differing = 0; // of those, dark in only one
    double share() const { return dark ? double(differing) / double(dark) : 1.0; }
};

// Compares and writes a picture of the differences (white: only the editor's, red: only gerbv's).
Comparison compare(const Picture& editor, const Picture& plotted, const fs::path& diffPng) {
    Comparison c;
    CairoCanvas diff(kSize, kSize);
    for (std::size_t i = 0; i < editor.px.size(); ++i) {
        if (editor.px[i] == Px::Ignored) continue;
        bool a = editor.px[i] == Px::Dark, b = plotted.px[i] == Px::Dark;
        if (!a && !b) continue;
        ++c.dark;
        int x = int(i % kSize), y = int(i / kSize);
        if (a != b) {
            ++c.differing;
            diff.setPixel(x, y, a ? kWhite : Rgb{255, 0, 0});
        } else {
            diff.setPixel(x, y, Rgb{0, 0, 160});
        }
    }
    diff.writePng(diffPng.string());
    return c;
}

// Exports (or takes the given text), renders both ways and compares.
Comparison exportAndCompare(ApertureRecord& a, GerberUnit unit, const std::string& name,
                            const std::function<std::string(std::string)>& spoil = nullptr,
                            ApertureRecord* exportInstead = nullptr) {
    fs::path dir = artifacts();
    GerberExport g = gerberText(exportInstead ? *exportInstead : a, unit);
    EXPECT_TRUE(g.ok()) << g.error;
    std::string text = spoil ? spoil(g.text) : g.text;
    std::ofstream(dir / (name + ".gbr")) << text;
    Picture editor = editorPicture(a, dir / (name + "-editor.png"));
    Picture plotted;
    std::string why;
    EXPECT_TRUE(gerbvPicture(dir / (name + ".gbr"), dir / (name + "-gerbv.png"), plotted, why)) << why;
    if (plotted.px.size() != editor.px.size()) return Comparison{};
    Comparison c = compare(editor, plotted, dir / (name + "-diff.png"));
    std::printf("%-28s %6ld dark pixels, %5ld differ: %.2f%%\n", name.c_str(), c.dark, c.differing,
                100.0 * c.share());
    return c;
}

constexpr std::int32_t kMil = 2540;

Point P(int xMils, int yMils) {
    return Point{xMils * kMil, yMils * kMil};
}

// No shape is symmetric about either axis, so a mirror shows.
void buildPad(ApertureRecord& a) {
    a.reset("render", 0, 0);
    a.append(PrimitiveRecord::circle(90 * kMil, P(-90, 80)));
    a.append(PrimitiveRecord::circle(40 * kMil, P(-90, 80)))->polarity = 0; // a hole
    a.append(PrimitiveRecord::line(24 * kMil, P(-160, -40), P(-40, -40)));
    a.append(PrimitiveRecord::line(16 * kMil, P(-150, -150), P(-30, -90)));
    a.append(PrimitiveRecord::polygon({P(40, 40), P(160, 60), P(120, 160), P(60, 120), P(40, 40)}));
    a.append(PrimitiveRecord::arc(0, 900, 60 * kMil, 20 * kMil, P(60, -140), {}, {}));
    a.append(PrimitiveRecord::arc(1800, -1350, 50 * kMil, 14 * kMil, P(120, -60), {}, {}));
    a.append(PrimitiveRecord::arc(0, 3600, 30 * kMil, 12 * kMil, P(-100, 160), {}, {}));
    a.append(PrimitiveRecord::line(40 * kMil, P(-100, -80), P(-100, 0)))->polarity = 0; // a slot
}

class GerberRender : public ::testing::Test {
  protected:
    ApertureRecord pad;
    void SetUp() override { buildPad(pad); }
};

} // namespace

TEST_F(GerberRender, TheExportMatchesTheEditorsDrawingInBothUnits) {
    for (GerberUnit unit : {GerberUnit::Inch, GerberUnit::Millimetre}) {
        Comparison c = exportAndCompare(pad, unit, unit == GerberUnit::Inch ? "pad-inch" : "pad-mm");
        EXPECT_GT(c.dark, 20000);
        EXPECT_LT(c.share(), kMaxDifferingShare);
    }
}

TEST_F(GerberRender, WrongExportsAreCaughtByTheComparison) {
    // Mirrored in Y.
    ApertureRecord mirrored;
    buildPad(mirrored);
    for (const auto& p : mirrored.primitives()) {
        p->centre.y = -p->centre.y;
        p->start.y = -p->start.y;
        p->end.y = -p->end.y;
        for (Point& v : p->vertices)
            v.y = -v.y;
        p->startAngle = (3600 - p->startAngle) % 3600;
        p->sweep = -p->sweep;
    }
    EXPECT_GT(exportAndCompare(pad, GerberUnit::Inch, "wrong-mirrored", nullptr, &mirrored).share(),
              kMaxDifferingShare);

    // Shifted by three thousandths of an inch (six pixels), along each axis.
    for (Point by : {Point{3 * kMil, 0}, Point{0, -3 * kMil}}) {
        ApertureRecord shifted;
        buildPad(shifted);
        for (const auto& p : shifted.primitives())
            ApertureRecord::translate(*p, by.x, by.y);
        EXPECT_GT(exportAndCompare(pad, GerberUnit::Inch, by.x ? "wrong-shifted-x" : "wrong-shifted-y",
                                   nullptr, &shifted)
                      .share(),
                  kMaxDifferingShare);
    }

    // Ten per cent too large.
    ApertureRecord scaled;
    buildPad(scaled);
    auto grow = [](std::int32_t v) { return static_cast<std::int32_t>(v * 1.1); };
    for (const auto& p : scaled.primitives()) {
        for (Point* q : {&p->centre, &p->start, &p->end})
            q->x = grow(q->x), q->y = grow(q->y);
        for (Point& v : p->vertices)
            v.x = grow(v.x), v.y = grow(v.y);
        p->size = grow(p->size);
        p->radius = grow(p->radius);
    }
    EXPECT_GT(exportAndCompare(pad, GerberUnit::Inch, "wrong-scaled", nullptr, &scaled).share(),
              kMaxDifferingShare);

    // Millimetre numbers declared as inches.
    auto asInches = [](std::string t) {
        t.replace(t.find("%MOMM*%"), 7, "%MOIN*%");
        return t;
    };
    EXPECT_GT(exportAndCompare(pad, GerberUnit::Millimetre, "wrong-unit", asInches).share(),
              kMaxDifferingShare);

    // Each primitive left out in turn.
    for (int k = 0; k < pad.count(); ++k) {
        ApertureRecord fewer;
        buildPad(fewer);
        fewer.remove(fewer.at(static_cast<std::size_t>(k)));
        EXPECT_GT(exportAndCompare(pad, GerberUnit::Inch, korvane::format("wrong-without-%d", k + 1), nullptr,
                                   &fewer)
                      .share(),
                  kMaxDifferingShare)
            << "primitive " << k + 1 << " left out";
    }
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!gerbvAvailable()) {
        std::printf("gerbv is not installed: the rendering comparison is skipped\n");
        return 77;
    }
    return RUN_ALL_TESTS();
}
