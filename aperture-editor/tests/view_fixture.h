// A document and a view on a 200 x 200 canvas where one pixel is 0.001 inch (2540 units) and the
// origin sits at pixel (100, 100).
#pragma once

#include "lumbra/cairo_canvas.h"
#include "lumbra/view.h"
#include "test_files.h"

#include "platformtesting/fake_clock.h"

#include <gtest/gtest.h>

namespace lumbra::testing {

class RecordingFrame : public ViewFrame {
  public:
    std::string status, x, y;
    int selected = -1;
    bool pointEntryOn = false;
    int coordinateDialogs = 0, gridDialogs = 0;
    void statusPrompt(const std::string& s) override { status = s; }
    void coordinates(const std::string& a, const std::string& b) override { x = a, y = b; }
    void selectionCount(int n) override { selected = n; }
    void pointEntry(bool on) override { pointEntryOn = on; }
    void coordinateDialog() override { ++coordinateDialogs; }
    void gridDialog() override { ++gridDialogs; }
    std::vector<PixelPoint> cursorMoves;
    void moveCursor(int cx, int cy) override { cursorMoves.push_back({cx, cy}); }
};

class ViewTest : public ::testing::Test {
  protected:
    static constexpr int kUnitsPerPixel = 2540;
    RecordingMessages msgs;
    CLumbraDoc doc{msgs};
    RecordingFrame frame;
    CairoCanvas canvas{200, 200};
    CLumbraView view{doc, &frame};
    // The tick stands still unless a test moves it (double clicks are told by it).
    korvane::testing::FakeClock clock{0, std::tm{}, 100000};

    void SetUp() override {
        view.attachCanvas(&canvas);
        doc.OnNewDocument(); // window +-0.1 inch, fitted
    }

    // Pixel of a world point given in thousandths of an inch (with this fixture's window).
    static int px(int mils) { return 100 + mils; }
    static int py(int mils) { return 100 - mils; }
    static std::int32_t u(int mils) { return mils * kUnitsPerPixel; }
    static Point P(int xm, int ym) { return Point{u(xm), u(ym)}; }

    bool send(int message, unsigned wParam, int x, int y) {
        return view.handleMessage(ViewMessage{message, wParam, x, y, {}});
    }
    void move(int xm, int ym, bool buttonHeld = false) {
        send(WM_MOUSEMOVE, buttonHeld ? unsigned(MK_LBUTTON) : 0u, px(xm), py(ym));
    }
    void down(int xm, int ym) { send(WM_LBUTTONDOWN, MK_LBUTTON, px(xm), py(ym)); }
    void up(int xm, int ym) { send(WM_LBUTTONUP, 0, px(xm), py(ym)); }
    // A click where the mouse first moves to the point, as a user's would.
    void click(int xm, int ym) {
        move(xm, ym);
        down(xm, ym);
        up(xm, ym);
    }
    void rightClick() { send(WM_RBUTTONDOWN, 0, 0, 0); }
    void escape() { send(WM_KEYDOWN, VK_ESCAPE, 0, 0); }
    void key(unsigned vk) { send(WM_KEYDOWN, vk, 0, 0); }
    void character(unsigned c) { send(WM_CHAR, c, 0, 0); }
    // Press at one point, drag with the button held, release at another.
    void drag(int x1, int y1, int x2, int y2) {
        move(x1, y1);
        down(x1, y1);
        move((x1 + x2) / 2, (y1 + y2) / 2, true);
        move(x2, y2, true);
        up(x2, y2);
    }
    ApertureRecord& ap() { return doc.aperture(); }
    PrimitiveRecord* addCircle(int xm, int ym, int diameterMils, int tool = 0) {
        auto* p = ap().append(PrimitiveRecord::circle(u(diameterMils), P(xm, ym)));
        p->toolWord = toolWordFor(tool);
        return p;
    }
};

} // namespace lumbra::testing
