// The editing view without a window: world/pixel mapping, snapping crosshair, zoom, pan, scrolling,
// painting through a canvas, picking and window selection, rubber bands, and the message hook through
// which one interactive command at a time receives mouse and key messages.
#pragma once

#include "lumbra/canvas.h"
#include "lumbra/document.h"

#include "platform/winmsg.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumbra {

// The view's own message, beside the platform's numbers: a point typed in, given to a command as a
// click (wParam carries the real button message).
inline constexpr int WM_KEYED_POINT = int(WM_USER) + 60; // 1084

struct ViewMessage {
    int message = 0;
    unsigned wParam = 0;
    int x = 0, y = 0; // cursor pixel of mouse messages
    Point world;      // the keyed point of WM_KEYED_POINT
};

// Command ids that need one (Copy and Move share a handler).
enum CommandId : int {
    ID_NONE = 0,
    ID_EDIT_COPY = 57634,
    ID_EDIT_MOVE = 32778,
    ID_EDIT_DELETE_ITEM = 32779,
    ID_EDIT_CHANGE_TOOLS = 32780,
    ID_VIEW_WINDOW = 32771,
    ID_VIEW_ZOOMOUT = 32772,
    ID_VIEW_ZOOMIN = 32773,
    ID_VIEW_PAN = 32774,
    ID_ADD_CIRCLE = 32776,
    ID_ADD_LINE = 32777,
    ID_QUERY_ITEM = 32784,
};

struct ViewWindow {
    std::int32_t left = 0, bottom = 0, right = 0, top = 0;
    std::int64_t width() const { return std::int64_t(right) - left; }
    std::int64_t height() const { return std::int64_t(top) - bottom; }
    friend bool operator==(const ViewWindow&, const ViewWindow&) = default;
};

struct ScrollBarState {
    int minimum = 1, maximum = 10, page = 10, position = 0;
    bool scrollable() const { return std::int64_t(page) < std::int64_t(maximum) - minimum; }
};

enum class ScrollAction { LineUp, LineDown, PageUp, PageDown, ThumbPosition };

// What the view tells the frame around it; every call may be ignored.
class ViewFrame {
  public:
    virtual ~ViewFrame() = default;
    virtual void statusPrompt(const std::string&) {}
    virtual void coordinates(const std::string& /*x*/, const std::string& /*y*/) {}
    virtual void selectionCount(int /*absolute*/) {}
    virtual void pointEntry(bool /*enabled*/) {}
    virtual void moveCursor(int /*x*/, int /*y*/) {}
    virtual bool viewHasFocus() { return true; }
    virtual void coordinateDialog() {}
    virtual void gridDialog() {}
    virtual void documentChanged() {}
    virtual std::string idleMessage() { return "Ready"; }
};

// Rubber bands: up to 8 previews, and the crosshair over them, XOR-drawn over the kept picture. They
// come off by copying back what they covered (on a surface that keeps no picture, by drawing them
// again in XOR); every change takes them all off and puts them on again, so that one never cuts
// another's pixels.
class RubberBandStack {
  public:
    using Drawer = std::function<void(Canvas&, int x, int y)>;
    static constexpr std::size_t kCapacity = 8;
    enum Flags { Draw = 1, Erase = 2, Recompute = 4 };

    bool push(Drawer d);
    void pop(Canvas* c); // erases the top entry first
    void popAll(Canvas* c);
    std::size_t size() const { return entries_.size(); }
    // Draw (erasing the previous image first), Erase, or Recompute after the picture was repainted.
    void redraw(Canvas* c, int x, int y, int flags);
    // The pixels were repainted: nothing of the old images is left to erase, the crosshair included.
    void forgetImages();

    // The crosshair: its drawer, drawn at the cursor over the bands.
    void setCursorDrawer(Drawer d) { cursorDrawer_ = std::move(d); }
    // Bands and crosshair drawn at (x, y) in one go, as a mouse move does.
    void moveTo(Canvas* c, int x, int y);
    void hideCursor(Canvas* c);
    bool cursorShown() const { return cursorShown_; }
    // Around drawing that changes the picture under the overlays (a selection highlight): they come
    // off first, and go on again over the picture as it then is.
    void lift(Canvas* c);
    void settle(Canvas* c);

  private:
    struct Entry {
        Drawer drawer;
        bool placed = false;
        bool shown = false;
        int x = 0, y = 0;
    };
    void takeOff(Canvas& c);
    void putOn(Canvas& c);
    void drawAll(Canvas& c);
    std::vector<Entry> entries_;
    Drawer cursorDrawer_;
    bool cursorShown_ = false;
    PixelPoint cursor_;
    // What lies on the surface now: noted by the surface, or recorded to be drawn again in XOR.
    bool onSurface_ = false;
    bool noted_ = false;
    RecordingCanvas image_;
    // The picture under the overlays changed since the surface kept it.
    bool underlayStale_ = false;
};

struct CommandHook {
    std::function<bool(const ViewMessage&)> messageHook;
    std::function<void()> cancelHook;
    int command = ID_NONE;
    int step = 0;
    bool dragWindow = false;
    Point reference;
    Point windowCorner;
    int rawX = 0, rawY = 0;
    bool justPlaced = false;
    // View Window's first corner.
    std::uint64_t cornerTick = 0;
    PixelPoint cornerPixel;
    // Arc entry inside Add Line.
    Point arcStart, arcEnd;
    bool arcEndChosen = false;
    // Change Drill Tools.
    int fromTool = 0, toTool = 0;
    std::int32_t toolSize = 0;
    std::int32_t previewWidth = 0;
};

// Whether a click at a world point hits the primitive (the exact test a pick runs on its candidates).
bool hitTest(const PrimitiveRecord& p, Point at);

class CLumbraView : public DocumentObserver {
  public:
    CLumbraView(CLumbraDoc& doc, ViewFrame* frame = nullptr);
    ~CLumbraView() override;

    // --- the surface and the client area
    void attachCanvas(Canvas* c) { canvas_ = c; }
    Canvas* canvas() const { return canvas_; }

    // --- state
    ViewWindow window;
    ViewWindow savedWindow;
    double scale = 0.1;
    int fillMode = 1;
    bool snap = true;
    bool gridDisplay = false;
    std::int32_t gridSize = 25400;
    int polarity = 1;
    int tool = 0;
    std::int32_t width = 50800; // line width and circle diameter, units
    bool metric = false;        // display unit
    Point keyedPoint;           // the typed-in coordinate
    Rgb positiveColour{0, 0, 255};
    Rgb negativeColour{0, 0, 0};
    static constexpr std::int32_t kMinimumExtent = 40640;
    static constexpr int kCrossHalfWidth = 24, kCrossHalfHeight = 26;

    CLumbraDoc& document() { return doc_; }
    ApertureRecord& aperture() { return doc_.aperture(); }
    CommandHook& hook() { return hook_; }
    RubberBandStack& rubberBands() { return bands_; }
    const std::string& promptTitle() const { return promptTitle_; }
    const std::string& promptText() const { return promptText_; }
    std::string statusText();
    std::string idleText();
    bool commandActive() const { return static_cast<bool>(hook_.messageHook); }
    PixelPoint crosshair() const { return crosshair_; }
    bool crosshairDrawn() const { return bands_.cursorShown(); }
    int clientWidth() const { return canvas_ ? canvas_->width() : clientW_; }
    int clientHeight() const { return canvas_ ? canvas_->height() : clientH_; }
    void setClientSize(int w, int h) {
        clientW_ = w;
        clientH_ = h;
    }

    // --- transforms
    PixelPoint toPixel(Point p) const;
    PixelPoint toPixel(std::int64_t x, std::int64_t y) const;
    int lengthToPixels(std::int64_t units) const;
    Point snappedWorld(int px, int py) const;
    PixelPoint snappedPixel(int px, int py) const { return toPixel(snappedWorld(px, py)); }
    // The snapped point under the crosshair's last pixel.
    Point crosshairWorld() const { return snappedWorld(crosshair_.x, crosshair_.y); }
    void fitToClient();

    // --- painting
    // Primitives that cannot reach the client area are not drawn (off only to compare the pictures).
    bool cullHidden = true;
    void paint();
    void redraw() { paint(); }
    // Draws one primitive moved by (dx, dy); outline = the XOR highlight and preview form. A scratch
    // of the caller's own lets threads draw at once.
    void drawPrimitive(Canvas& c, const PrimitiveRecord& p, std::int32_t dx, std::int32_t dy, bool outline,
                       std::vector<PixelPoint>* scratch = nullptr) const;
    void highlightSelection();
    // Takes the XOR overlays (selection highlight, rubber bands, crosshair) off by putting back the
    // frame kept at the last paint, then draws the rubber bands again; repaints when no kept frame
    // matches the view any more.
    void restoreFrame();
    ScrollBarState horizontalBar() const { return hbar_; }
    ScrollBarState verticalBar() const { return vbar_; }
    void updateScrollBars();
    void scroll(bool vertical, ScrollAction action, int thumb = 0);

    // --- messages
    bool handleMessage(const ViewMessage& m);
    // A point typed into the coordinate dialog: given to the command as a click at that point.
    void keyedPointEntered(Point p);
    void onDocumentUpdate(int hint) override;

    // --- command plumbing
    void activate(int command, const char* title, const char* text,
                  std::function<bool(const ViewMessage&)> handler, std::function<void()> cancel);
    void cancelCommand();
    void endCommand();
    void prompt(const char* title, const char* text);
    void setPromptText(const char* text) { prompt(promptTitle_.c_str(), text); }

    // --- picking
    PrimitiveRecord* pickAt(Point p, int toolFilter, Point* reference = nullptr);
    int selectWindow(Point a, Point b, int toolFilter);

    // --- navigation commands
    void startZoomIn();
    void startZoomOut();
    void startPan();
    void startViewWindow();
    void zoomAll();
    bool zoomInAt(Point p);
    bool zoomOutAt(Point p);
    void panTo(Point p);

    // --- editing commands
    void startAddCircle();
    void startAddLine();
    void startCopy() { startCopyMove(ID_EDIT_COPY); }
    void startMove() { startCopyMove(ID_EDIT_MOVE); }
    void startDelete();
    // Values from the drill-tools dialog (size already in units).
    void startChangeDrillTools(int fromTool, int toTool, std::int32_t size);
    void startQuery();
    void undo();
    // An arc from s through t to e; false (and nothing added) when refused.
    bool addArcThrough(Point s, Point t, Point e);
    bool addQuarterArc(Point s, Point e, PixelPoint cursor);

    int toolWord() const { return toolWordFor(tool); }
    // Filled display: positive or negative colour by polarity; sketch display: always positive.
    Rgb colourFor(const PrimitiveRecord& p) const {
        return fillMode && p.polarity != 1 ? negativeColour : positiveColour;
    }
    std::string formatLength(std::int64_t units) const;

  private:
    // Helpers shared by the commands.
    static bool isLeftDown(const ViewMessage& m);
    static bool isLeftUp(const ViewMessage& m);
    static bool isCancel(const ViewMessage& m);
    Point clickPoint(const ViewMessage& m) const;
    Point crosshairPoint(const ViewMessage& m) const;
    void trackCrosshair(int px, int py);
    void eraseCrosshair();
    bool defaultHandling(const ViewMessage& m);
    void pushRectangleBand(Point corner);
    void pushLineBand();
    void pushSelectionBand(bool singlePick);
    void edited();
    bool refuseZoom();

    bool lineHandler(const ViewMessage& m);
    void startArc();
    bool arcHandler(const ViewMessage& m);
    void resumeLine();
    void startCopyMove(int command);
    bool copyMoveHandler(const ViewMessage& m);
    bool trackDragWindow(const ViewMessage& m);
    bool deleteOrRetoolHandler(const ViewMessage& m);
    void startSelectCommand(int command, const char* title);

    CLumbraDoc& doc_;
    ViewFrame* frame_;
    ViewFrame defaultFrame_;
    Canvas* canvas_ = nullptr;
    int clientW_ = 0, clientH_ = 0;
    CommandHook hook_;
    RubberBandStack bands_;
    std::string promptTitle_, promptText_;
    bool promptSet_ = false;
    PixelPoint crosshair_;
    ScrollBarState hbar_, vbar_;
    // What the kept frame was painted from: a restore is refused when any of it changed since.
    struct FrameKey {
        const Canvas* canvas = nullptr;
        ViewWindow window;
        int width = 0, height = 0, fillMode = 0, count = 0;
        std::uint64_t changes = 0;
        Rgb positive, negative;
        friend bool operator==(const FrameKey&, const FrameKey&) = default;
    };
    FrameKey frameKey() const;
    std::optional<FrameKey> keptFrame_;
    mutable std::vector<PixelPoint> points_; // scratch of drawPrimitive
    // A primitive a paint draws, with its boxes beside it; per band of rows drawn by a thread.
    struct PaintItem {
        const PrimitiveRecord* p;
        Box hit, def;
    };
    std::vector<std::vector<PaintItem>> paintItems_;
    // A grid over the primitives' boxes, so that a zoomed-in paint visits what is near the view only.
    struct PaintGrid;
    std::unique_ptr<PaintGrid> grid_;
    // Whether a paint of the rectangle (units) looks its primitives up in the grid, built now if need
    // be; false when scanning them all is as quick.
    bool gridServes(std::int64_t left, std::int64_t bottom, std::int64_t right, std::int64_t top);
    std::int64_t rangeX_ = 0, rangeY_ = 0;
};

} // namespace lumbra
