// The interactive editing commands of the view: each is a small state machine on the message hook.
#include "lumbra/units.h"
#include "lumbra/view.h"

#include "platform/format.h"

#include <algorithm>
#include <cmath>

namespace lumbra {

namespace {

constexpr const char* kSelectPrompt = "select item or click and drag window...";
constexpr const char* kNextPoint = "enter next point...(A to enter Arc)";

} // namespace

void CLumbraView::edited() {
    frame_->documentChanged();
    redraw();
}

void CLumbraView::undo() {
    aperture().undo();
    frame_->selectionCount(std::abs(aperture().selectionCount()));
    edited();
}

// ---------------------------------------------------------------- Add Circle

void CLumbraView::startAddCircle() {
    activate(
        ID_ADD_CIRCLE, "Add Circle", "enter point...",
        [this](const ViewMessage& m) {
            if (isLeftDown(m)) {
                PrimitiveRecord c = PrimitiveRecord::circle(width, clickPoint(m));
                c.toolWord = toolWord();
                c.polarity = polarity;
                aperture().append(std::move(c));
                edited();
                return true;
            }
            if (isCancel(m)) return cancelCommand(), true;
            if (width != hook_.previewWidth) {
                // The width was changed in the property bar: the preview follows from the next move.
                bands_.redraw(canvas_, 0, 0, RubberBandStack::Erase);
                hook_.previewWidth = width;
            }
            return false;
        },
        [this] { endCommand(); });
    hook_.previewWidth = width;
    bands_.push([this](Canvas& c, int x, int y) {
        int d = lengthToPixels(hook_.previewWidth);
        if (d > 2)
            c.ellipse(x - d / 2, y - d / 2, x - d / 2 + d, y - d / 2 + d);
        else
            c.setPixel(x, y, kWhite);
    });
}

// ---------------------------------------------------------------- Add Line, with arcs

void CLumbraView::pushLineBand() {
    bands_.push([this](Canvas& c, int x, int y) {
        PixelPoint a = toPixel(hook_.reference);
        c.line(a.x, a.y, x, y);
    });
}

void CLumbraView::startAddLine() {
    activate(
        ID_ADD_LINE, "Add Line", "enter first point...",
        [this](const ViewMessage& m) { return lineHandler(m); }, [this] { endCommand(); });
}

bool CLumbraView::lineHandler(const ViewMessage& m) {
    if (hook_.step == 0) {
        if (isLeftDown(m)) {
            hook_.reference = clickPoint(m);
            pushLineBand();
            setPromptText(kNextPoint);
            hook_.step = 1;
            return true;
        }
        if (isCancel(m)) return cancelCommand(), true;
        return false;
    }
    if (isLeftDown(m)) {
        Point p = clickPoint(m);
        PrimitiveRecord l = PrimitiveRecord::line(width, hook_.reference, p);
        l.toolWord = toolWord();
        l.polarity = polarity;
        aperture().append(std::move(l));
        hook_.reference = p; // segments chain
        edited();
        return true;
    }
    if (m.message == WM_CHAR && (m.wParam == 'A' || m.wParam == 'a')) {
        startArc();
        return true;
    }
    if (isCancel(m)) {
        eraseCrosshair();
        bands_.pop(canvas_);
        hook_.step = 0;
        setPromptText("enter first point...");
        return true;
    }
    return false;
}

void CLumbraView::startArc() {
    hook_.arcStart = hook_.reference;
    hook_.arcEndChosen = false;
    // Another command ending this one still finds the line to wind up first.
    hook_.cancelHook = [this] {
        resumeLine();
        endCommand();
    };
    setPromptText("enter arc end point...");
    hook_.messageHook = [this](const ViewMessage& m) { return arcHandler(m); };
}

bool CLumbraView::arcHandler(const ViewMessage& m) {
    if (!hook_.arcEndChosen) {
        if (isLeftDown(m) || isLeftUp(m)) {
            Point e = clickPoint(m);
            if (e == hook_.arcStart) return true;
            hook_.arcEnd = e;
            hook_.arcEndChosen = true;
            bands_.pop(canvas_);
            bands_.push([this](Canvas& c, int x, int y) {
                // The arc through start, end and the cursor, as it would be created.
                PixelPoint s = toPixel(hook_.arcStart), e2 = toPixel(hook_.arcEnd);
                double ax = s.x, ay = s.y, bx = x, by = y, cx = e2.x, cy = e2.y;
                double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
                if (std::abs(d) < 1e-9) {
                    c.line(s.x, s.y, x, y);
                    c.line(x, y, e2.x, e2.y);
                    return;
                }
                double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
                double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
                double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
                double r = std::hypot(ax - ux, ay - uy);
                if (r > 4000) {
                    c.line(s.x, s.y, e2.x, e2.y);
                    return;
                }
                int ir = static_cast<int>(roundHalfAway(r)), icx = static_cast<int>(roundHalfAway(ux)),
                    icy = static_cast<int>(roundHalfAway(uy));
                // Screen y runs down: a counter-clockwise turn on screen has a negative cross product.
                double cross = (bx - ax) * (cy - by) - (by - ay) * (cx - bx);
                if (cross < 0)
                    c.arc(icx - ir, icy - ir, icx + ir, icy + ir, s.x, s.y, e2.x, e2.y);
                else
                    c.arc(icx - ir, icy - ir, icx + ir, icy + ir, e2.x, e2.y, s.x, s.y);
            });
            setPromptText("enter third point on arc...(9 to enter 90 degree Arc)");
            hook_.step = 2;
            return true;
        }
        if (isCancel(m)) return resumeLine(), true;
        return false;
    }
    if (isLeftDown(m) || isLeftUp(m)) {
        Point t = clickPoint(m);
        if (t == hook_.arcEnd) return true;
        addArcThrough(hook_.arcStart, t, hook_.arcEnd);
        resumeLine();
        return true;
    }
    if (m.message == WM_KEYDOWN && m.wParam == VK_9) {
        addQuarterArc(hook_.arcStart, hook_.arcEnd, crosshair_);
        resumeLine();
        return true;
    }
    if (isCancel(m)) return resumeLine(), true;
    return false;
}

void CLumbraView::resumeLine() {
    if (hook_.arcEndChosen) {
        bands_.pop(canvas_); // the arc preview
        hook_.reference = hook_.arcEnd;
        pushLineBand();
    } else {
        hook_.reference = hook_.arcStart; // the line preview is still there
    }
    hook_.arcEndChosen = false;
    hook_.step = 1;
    hook_.messageHook = [this](const ViewMessage& m) { return lineHandler(m); };
    hook_.cancelHook = [this] { endCommand(); };
    setPromptText(kNextPoint);
}

bool CLumbraView::addArcThrough(Point s, Point t, Point e) {
    // Refusals are judged in view pixels (y up), where the user drew.
    auto px = [&](Point p) {
        return std::pair<double, double>{roundHalfAway((double(p.x) - window.left) * scale),
                                         roundHalfAway((double(p.y) - window.bottom) * scale)};
    };
    auto [sx, sy] = px(s);
    auto [ex, ey] = px(e);
    auto [tx, ty] = px(t);
    double se1 = std::abs(sx - ex) + std::abs(sy - ey), et1 = std::abs(ex - tx) + std::abs(ey - ty);
    if (se1 == 0 || et1 == 0) return false;
    double crossPx = (sx - ex) * (ty - ey) - (sy - ey) * (tx - ex);
    if (std::abs(crossPx) <= 0.001 * se1 * et1) return false;
    double dPx = 2 * (sx * (ty - ey) + tx * (ey - sy) + ex * (sy - ty));
    double s2 = sx * sx + sy * sy, t2 = tx * tx + ty * ty, e2 = ex * ex + ey * ey;
    double uxPx = (s2 * (ty - ey) + t2 * (ey - sy) + e2 * (sy - ty)) / dPx;
    double uyPx = (s2 * (ex - tx) + t2 * (sx - ex) + e2 * (tx - sx)) / dPx;
    if (std::hypot(sx - uxPx, sy - uyPx) > 1000) return false;

    // The centre in units: the circumcentre, which lies on the perpendicular bisector of S-E.
    double ax = s.x, ay = s.y, bx = t.x, by = t.y, cx = e.x, cy = e.y;
    double d = 2 * (ax * (by - cy) + bx * (cy - ay) + cx * (ay - by));
    if (d == 0) return false;
    double a2 = ax * ax + ay * ay, b2 = bx * bx + by * by, c2 = cx * cx + cy * cy;
    double ux = (a2 * (by - cy) + b2 * (cy - ay) + c2 * (ay - by)) / d;
    double uy = (a2 * (cx - bx) + b2 * (ax - cx) + c2 * (bx - ax)) / d;
    Point centre{roundToInt(ux), roundToInt(uy)};
    double radius = std::hypot(ax - centre.x, ay - centre.y);
    if (radius > 2147483647.0) return false;
    // S -> T -> E turns counter-clockwise when T lies left of the way from S to E.
    bool ccw = (bx - ax) * (cy - by) - (by - ay) * (cx - bx) > 0;
    auto angle = [&](Point p) {
        int a = static_cast<int>(
            roundHalfAway(std::atan2(p.y - double(centre.y), p.x - double(centre.x)) * 1800.0 / M_PI));
        if (a < 0) a += 3600;
        if (a >= 3600) a -= 3600;
        return a;
    };
    int start = angle(s), end = angle(e);
    int sweep = end - start;
    if (ccw) {
        while (sweep <= 0)
            sweep += 3600;
        while (sweep > 3600)
            sweep -= 3600;
    } else {
        while (sweep >= 0)
            sweep -= 3600;
        while (sweep < -3600)
            sweep += 3600;
        if (sweep == -3600) sweep = 3600; // a full circle
    }
    PrimitiveRecord arc =
        PrimitiveRecord::arc(start, sweep, static_cast<std::int32_t>(radius), width, centre, s, e);
    arc.toolWord = toolWord();
    arc.polarity = polarity;
    aperture().append(std::move(arc));
    edited();
    return true;
}

bool CLumbraView::addQuarterArc(Point s, Point e, PixelPoint cursor) {
    // In view pixels with y up.
    double sx = (double(s.x) - window.left) * scale, sy = (double(s.y) - window.bottom) * scale;
    double ex = (double(e.x) - window.left) * scale, ey = (double(e.y) - window.bottom) * scale;
    double cx = cursor.x, cy = clientHeight() - cursor.y;
    double len = std::hypot(ex - sx, ey - sy);
    if (len == 0) return false;
    double r = roundHalfAway(len / std::sqrt(2.0));
    double nx = -(ey - sy) / len, ny = (ex - sx) / len;
    double mx = (sx + ex) / 2, my = (sy + ey) / 2;
    if ((cx - mx) * nx + (cy - my) * ny < 0) nx = -nx, ny = -ny;
    // The quarter circle bulges towards the cursor; its centre lies on the far side of the chord.
    double off = std::sqrt(std::max(r * r - len * len / 4, 0.0));
    double tx = mx - nx * off + nx * r, ty = my - ny * off + ny * r;
    Point t{roundToInt(tx / scale + window.left), roundToInt(ty / scale + window.bottom)};
    return addArcThrough(s, t, e);
}

// ---------------------------------------------------------------- selection, Copy and Move

bool CLumbraView::trackDragWindow(const ViewMessage& m) {
    if (m.message != WM_MOUSEMOVE) return false;
    if (hook_.dragWindow) return false;
    if ((m.wParam & MK_LBUTTON) && (std::abs(m.x - hook_.rawX) > 3 || std::abs(m.y - hook_.rawY) > 3)) {
        hook_.dragWindow = true;
        hook_.windowCorner = crosshairWorld();
        pushRectangleBand(hook_.windowCorner);
    } else if (!(m.wParam & MK_LBUTTON)) {
        // The threshold counts from where the button went down.
        hook_.rawX = m.x;
        hook_.rawY = m.y;
    }
    return false; // the crosshair keeps moving
}

void CLumbraView::pushSelectionBand(bool singlePick) {
    bands_.push([this, singlePick](Canvas& c, int x, int y) {
        // Drawn from the current selection, so that an undo is followed at once.
        Point cur = snappedWorld(x, y);
        std::int32_t dx = static_cast<std::int32_t>(std::int64_t(cur.x) - hook_.reference.x);
        std::int32_t dy = static_cast<std::int32_t>(std::int64_t(cur.y) - hook_.reference.y);
        if (singlePick) {
            if (aperture().pick()) drawPrimitive(c, *aperture().pick(), dx, dy, true);
        } else if (aperture().selectionCount() > 0) {
            for (const PrimitiveRecord* s : aperture().selectedMembers())
                drawPrimitive(c, *s, dx, dy, true);
        }
    });
}

void CLumbraView::startCopyMove(int command) {
    activate(
        command, command == ID_EDIT_COPY ? "Copy" : "Move", kSelectPrompt,
        [this](const ViewMessage& m) { return copyMoveHandler(m); },
        [this] {
            aperture().clearSelection();
            endCommand();
        });
    hook_.justPlaced = false;
}

bool CLumbraView::copyMoveHandler(const ViewMessage& m) {
    ApertureRecord& a = aperture();
    bool windowMode = a.selectionCount() > 0;
    if (m.message == WM_LBUTTONDOWN && hook_.step == 0) {
        hook_.rawX = m.x;
        hook_.rawY = m.y;
    }
    if (hook_.step == 0) {
        if (isLeftUp(m)) {
            bool placedJustNow = hook_.justPlaced;
            hook_.justPlaced = false;
            if (placedJustNow) return true;
            Point p = crosshairPoint(m);
            if (hook_.dragWindow) {
                hook_.dragWindow = false;
                bands_.pop(canvas_);
                if (selectWindow(hook_.windowCorner, p, -1) > 0) {
                    highlightSelection();
                    setPromptText("select from point...");
                    hook_.step = 1;
                }
                return true;
            }
            Point ref;
            if (pickAt(p, -1, &ref)) {
                hook_.reference = ref;
                pushSelectionBand(true);
                setPromptText("enter insertion point...");
                hook_.step = 1;
            }
            return true;
        }
        if (isCancel(m)) return cancelCommand(), true;
        if (!hook_.justPlaced) return trackDragWindow(m);
        return false;
    }
    if (isLeftUp(m)) {
        hook_.justPlaced = false;
        return true;
    }
    if (isCancel(m)) {
        bands_.pop(canvas_);
        a.clearSelection();
        setPromptText(kSelectPrompt);
        hook_.step = 0;
        restoreFrame(); // takes the highlight off
        return true;
    }
    if (!isLeftDown(m)) return false;
    if (windowMode && hook_.step == 1) {
        hook_.reference = crosshairPoint(m);
        pushSelectionBand(false);
        setPromptText("select insertion point...");
        hook_.step = 2;
        return true;
    }
    // Placement.
    Point p = crosshairPoint(m);
    std::int32_t dx = static_cast<std::int32_t>(std::int64_t(p.x) - hook_.reference.x);
    std::int32_t dy = static_cast<std::int32_t>(std::int64_t(p.y) - hook_.reference.y);
    std::vector<PrimitiveRecord*> sources = a.selectedMembers();
    if (sources.empty()) return true;
    a.snapshot();
    std::vector<std::unique_ptr<PrimitiveRecord>> copies;
    for (PrimitiveRecord* s : sources) {
        auto c = s->copy();
        ApertureRecord::translate(*c, dx, dy);
        copies.push_back(std::move(c));
    }
    if (hook_.command == ID_EDIT_MOVE) {
        std::vector<const PrimitiveRecord*> doomed(sources.begin(), sources.end());
        bands_.pop(canvas_);
        a.clearSelection();
        a.removeAll(doomed);
    }
    for (auto& c : copies)
        a.append(std::move(c));
    if (hook_.command == ID_EDIT_MOVE) {
        setPromptText(kSelectPrompt);
        hook_.step = 0;
    }
    hook_.justPlaced = true;
    edited();
    if (hook_.command == ID_EDIT_COPY) highlightSelection();
    return true;
}

// ---------------------------------------------------------------- Delete and Change Drill Tools

void CLumbraView::startSelectCommand(int command, const char* title) {
    activate(
        command, title, kSelectPrompt, [this](const ViewMessage& m) { return deleteOrRetoolHandler(m); },
        [this] {
            aperture().clearSelection();
            endCommand();
        });
}

void CLumbraView::startDelete() {
    startSelectCommand(ID_EDIT_DELETE_ITEM, "Delete");
}

void CLumbraView::startChangeDrillTools(int fromTool, int toTool, std::int32_t size) {
    startSelectCommand(ID_EDIT_CHANGE_TOOLS, "Change Drill Tools");
    hook_.fromTool = fromTool;
    hook_.toTool = toTool;
    hook_.toolSize = size;
}

bool CLumbraView::deleteOrRetoolHandler(const ViewMessage& m) {
    bool retool = hook_.command == ID_EDIT_CHANGE_TOOLS;
    int filter = retool ? hook_.fromTool : -1;
    if (m.message == WM_LBUTTONDOWN) {
        hook_.rawX = m.x;
        hook_.rawY = m.y;
    }
    if (isLeftDown(m)) return true;
    if (isCancel(m)) return cancelCommand(), true;
    if (!isLeftUp(m)) return trackDragWindow(m);
    hook_.justPlaced = false;
    ApertureRecord& a = aperture();
    Point p = crosshairPoint(m);
    bool any;
    if (hook_.dragWindow) {
        hook_.dragWindow = false;
        bands_.pop(canvas_);
        any = selectWindow(hook_.windowCorner, p, filter) > 0;
    } else {
        any = pickAt(p, filter) != nullptr;
    }
    if (!any) return true;
    highlightSelection();
    bool yes = doc_.messages().askYesNo(retool ? "Change?" : "Delete?", "Confirm:");
    if (yes) {
        std::vector<PrimitiveRecord*> sources = a.selectedMembers();
        a.snapshot();
        if (retool) {
            for (PrimitiveRecord* s : sources)
                a.retool(*s, hook_.toolSize, hook_.toTool);
        } else {
            a.removeAll(std::vector<const PrimitiveRecord*>(sources.begin(), sources.end()));
        }
    }
    a.clearSelection();
    frame_->selectionCount(0);
    if (yes) {
        edited();
    } else {
        frame_->documentChanged();
        restoreFrame(); // nothing changed: only the highlight goes
    }
    return true;
}

// ---------------------------------------------------------------- Query

void CLumbraView::startQuery() {
    activate(
        ID_QUERY_ITEM, "Query Item", "select item...",
        [this](const ViewMessage& m) {
            if (isLeftDown(m)) {
                PrimitiveRecord* p = pickAt(crosshairPoint(m), -1);
                if (!p) return true;
                restoreFrame(); // the previous pick's highlight goes
                highlightSelection();
                static const char* const names[] = {"Circle", "Line", "Polygon", "Arc"};
                int kind = p->type == AP_CIRCLE ? 0 : p->type == AP_LINE ? 1 : p->type == AP_POLYGON ? 2 : 3;
                std::int64_t size = kind == 2 ? 0 : kind == 3 ? 2 * std::int64_t(p->radius) : p->size;
                auto L = [&](std::int64_t v) { return formatLength(v); };
                std::string where;
                switch (kind) {
                case 0:
                    where = "[" + L(p->centre.x) + ":" + L(p->centre.y) + "]";
                    break;
                case 1:
                    where = "[" + L(p->start.x) + ":" + L(p->start.y) + ", " + L(p->end.x) + ":" +
                            L(p->end.y) + "]";
                    break;
                case 2:
                    where = "[" + L(p->referencePoint().x) + ":" + L(p->referencePoint().y) + "]";
                    break;
                default:
                    where = "[" + L(p->start.x) + ":" + L(p->start.y) + ", " + L(p->end.x) + ":" +
                            L(p->end.y) + ", Center: " + L(p->centre.x) + ":" + L(p->centre.y) + "]";
                }
                std::string text =
                    korvane::format("%s - %s - T%d - %s - %s", names[kind], L(size).c_str(), p->toolNumber(),
                                    p->polarity == 1 ? "Pos" : "Neg", where.c_str());
                prompt(nullptr, text.c_str());
                return true;
            }
            if (isCancel(m)) {
                cancelCommand();
                restoreFrame();
                return true;
            }
            return false;
        },
        [this] {
            aperture().clearSelection();
            endCommand();
        });
}

} // namespace lumbra
