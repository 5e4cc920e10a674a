#include "aperture.h"

#include "units.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

namespace lumbra {

PrimitiveRecord PrimitiveRecord::circle(std::int32_t diameter, Point c) {
    PrimitiveRecord p;
    p.type = AP_CIRCLE;
    p.size = diameter;
    p.centre = c;
    return p;
}

PrimitiveRecord PrimitiveRecord::line(std::int32_t width, Point a, Point b) {
    PrimitiveRecord p;
    p.type = AP_LINE;
    p.size = width;
    p.start = a;
    p.end = b;
    return p;
}

PrimitiveRecord PrimitiveRecord::polygon(std::vector<Point> closedOutline) {
    PrimitiveRecord p;
    p.type = AP_POLYGON;
    p.vertices = std::move(closedOutline);
    return p;
}

PrimitiveRecord PrimitiveRecord::arc(std::int32_t startAngle, std::int32_t sweep, std::int32_t radius,
                                     std::int32_t width, Point c, Point s, Point e) {
    PrimitiveRecord p;
    p.type = AP_ARC;
    p.startAngle = startAngle;
    p.sweep = sweep;
    p.radius = radius;
    p.size = width;
    p.centre = c;
    p.start = s;
    p.end = e;
    return p;
}

Point PrimitiveRecord::referencePoint() const {
    switch (type) {
    case AP_CIRCLE:
        return centre;
    case AP_POLYGON:
        return vertices.empty() ? Point{} : vertices.front();
    default:
        return start;
    }
}

std::unique_ptr<PrimitiveRecord> PrimitiveRecord::copy() const {
    auto c = std::make_unique<PrimitiveRecord>(*this);
    c->origin = this;
    return c;
}

ApertureRecord::~ApertureRecord() {
    closing = true;
}

void ApertureRecord::reset(const std::string& name, double xSizeInches, double ySizeInches) {
    clearSelection();
    list_.clear();
    snapshot_.clear();
    hasSnapshot_ = false;
    name_ = name;
    xSize = xSizeInches;
    ySize = ySizeInches;
}

PrimitiveRecord* ApertureRecord::append(std::unique_ptr<PrimitiveRecord> p) {
    p->selected = 0;
    list_.push_back(std::move(p));
    mark();
    return list_.back().get();
}

long ApertureRecord::indexOf(const PrimitiveRecord* p) const {
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == p) return static_cast<long>(i);
    return -1;
}

std::unique_ptr<PrimitiveRecord> ApertureRecord::remove(const PrimitiveRecord* p) {
    long i = indexOf(p);
    if (i < 0) return nullptr;
    auto out = std::move(list_[static_cast<std::size_t>(i)]);
    list_.erase(list_.begin() + i);
    if (pick_ == p) {
        // A pick that left the list is no selection any more.
        pick_ = nullptr;
        selectionCount_ = 0;
    }
    mark();
    return out;
}

std::size_t ApertureRecord::removeAll(const std::vector<const PrimitiveRecord*>& members) {
    std::unordered_set<const PrimitiveRecord*> doomed(members.begin(), members.end());
    std::size_t before = list_.size();
    std::erase_if(list_,
                  [&](const std::unique_ptr<PrimitiveRecord>& p) { return doomed.count(p.get()) != 0; });
    std::size_t gone = before - list_.size();
    if (pick_ && doomed.count(pick_)) {
        pick_ = nullptr;
        selectionCount_ = 0;
    }
    if (gone) mark();
    return gone;
}

void ApertureRecord::snapshot() {
    snapshot_.clear();
    snapshot_.reserve(list_.size());
    for (const auto& p : list_)
        snapshot_.push_back(p->copy());
    hasSnapshot_ = true;
}

void ApertureRecord::undo() {
    if (!hasSnapshot_) return;
    bool singlePick = selectionCount_ == -1;
    clearSelection();
    list_ = std::move(snapshot_);
    snapshot_.clear();
    hasSnapshot_ = false;
    for (auto& p : list_)
        p->origin = nullptr; // the sources are gone
    for (auto& p : list_) {
        if (!p->selected) continue;
        if (singlePick) {
            pick_ = p.get();
            selectionCount_ = -1;
            break;
        }
        addWindowSelection(p.get());
    }
    mark();
}

void ApertureRecord::clearSelection() {
    selectionCopies_.clear();
    for (auto& p : list_)
        p->selected = 0;
    pick_ = nullptr;
    selectionCount_ = 0;
}

void ApertureRecord::setPick(PrimitiveRecord* p) {
    p->selected = 1;
    pick_ = p;
    selectionCount_ = -1;
}

void ApertureRecord::addWindowSelection(PrimitiveRecord* p) {
    p->selected = 1;
    selectionCopies_.push_back(p->copy());
    selectionCount_ = static_cast<int>(selectionCopies_.size());
}

std::vector<PrimitiveRecord*> ApertureRecord::selectedMembers() const {
    std::vector<PrimitiveRecord*> out;
    if (selectionCount_ == -1 && pick_) {
        out.push_back(pick_);
    } else {
        for (const auto& c : selectionCopies_)
            out.push_back(const_cast<PrimitiveRecord*>(c->origin));
    }
    return out;
}

void ApertureRecord::translate(PrimitiveRecord& p, std::int32_t dx, std::int32_t dy) {
    // Wrap-around arithmetic as the stored 32-bit words would; never undefined.
    auto move = [&](Point& q) {
        q.x = static_cast<std::int32_t>(static_cast<std::uint32_t>(q.x) + static_cast<std::uint32_t>(dx));
        q.y = static_cast<std::int32_t>(static_cast<std::uint32_t>(q.y) + static_cast<std::uint32_t>(dy));
    };
    switch (p.type) {
    case AP_CIRCLE:
        move(p.centre);
        break;
    case AP_LINE:
        move(p.start);
        move(p.end);
        break;
    case AP_POLYGON:
        for (auto& v : p.vertices)
            move(v);
        break;
    case AP_ARC:
        move(p.centre);
        move(p.start);
        move(p.end);
        break;
    default:
        break;
    }
}

void ApertureRecord::retool(PrimitiveRecord& p, std::int32_t size, std::int32_t tool) {
    switch (p.type) {
    case AP_CIRCLE:
    case AP_LINE:
    case AP_ARC:
        if (size != -1) p.size = size;
        break;
    case AP_POLYGON:
        break;
    default:
        return;
    }
    if (tool != -1) p.toolWord = static_cast<std::int32_t>(static_cast<std::uint32_t>(tool) + 255u);
    mark();
}

std::int32_t ApertureRecord::sizeOfTool(std::int32_t tool) const {
    std::int64_t word = static_cast<std::int64_t>(tool) + 255;
    for (const auto& p : list_) {
        if (p->toolWord != word) continue;
        if (p->type == AP_POLYGON) return -1;
        return p->size;
    }
    return -1;
}

namespace {

std::int64_t absl(std::int64_t v) {
    return v < 0 ? -v : v;
}

void raise(std::int64_t& s, std::int64_t v) {
    s = std::max(s, v);
}

void circleExtent(Point c, std::int64_t diameter, std::int64_t& sx, std::int64_t& sy) {
    std::int64_t half = diameter / 2;
    raise(sx, 2 * (absl(c.x) + half));
    raise(sy, 2 * (absl(c.y) + half));
}

void pointsExtent(const Point* pts, std::size_t n, std::int64_t& sx, std::int64_t& sy) {
    for (std::size_t i = 0; i < n; ++i) {
        raise(sx, 2 * absl(pts[i].x));
        raise(sy, 2 * absl(pts[i].y));
    }
}

// Corners of a line's body: a rectangle of the line's width around the segment, ending at the end points.
void lineExtent(const PrimitiveRecord& p, std::int64_t& sx, std::int64_t& sy) {
    std::int64_t hw = p.size / 2;
    std::int64_t x1 = p.start.x, y1 = p.start.y, x2 = p.end.x, y2 = p.end.y;
    std::int64_t cx[4], cy[4];
    if (y1 == y2) {
        cx[0] = cx[1] = x1;
        cx[2] = cx[3] = x2;
        cy[0] = cy[2] = y1 - hw;
        cy[1] = cy[3] = y1 + hw;
    } else if (x1 == x2) {
        cy[0] = cy[1] = y1;
        cy[2] = cy[3] = y2;
        cx[0] = cx[2] = x1 - hw;
        cx[1] = cx[3] = x1 + hw;
    } else {
        double dx = static_cast<double>(x2 - x1), dy = static_cast<double>(y2 - y1);
        double len = std::hypot(dx, dy);
        // A vector of length hw at right angles to the segment.
        std::int64_t ox = static_cast<std::int64_t>(roundHalfAway(-dy / len * static_cast<double>(hw)));
        std::int64_t oy = static_cast<std::int64_t>(roundHalfAway(dx / len * static_cast<double>(hw)));
        cx[0] = x1 + ox, cy[0] = y1 + oy;
        cx[1] = x1 - ox, cy[1] = y1 - oy;
        cx[2] = x2 + ox, cy[2] = y2 + oy;
        cx[3] = x2 - ox, cy[3] = y2 - oy;
    }
    for (int i = 0; i < 4; ++i) {
        raise(sx, 2 * absl(cx[i]));
        raise(sy, 2 * absl(cy[i]));
    }
}

} // namespace

void ApertureRecord::extentUnits(std::int64_t& sx, std::int64_t& sy) const {
    sx = sy = 0;
    for (const auto& p : list_) {
        switch (p->type) {
        case AP_CIRCLE:
            circleExtent(p->centre, p->size, sx, sy);
            break;
        case AP_LINE:
            lineExtent(*p, sx, sy);
            break;
        case AP_POLYGON:
            if (p->vertices.size() > 1) pointsExtent(p->vertices.data(), p->vertices.size() - 1, sx, sy);
            break;
        case AP_ARC:
            circleExtent(p->centre, 2 * static_cast<std::int64_t>(p->radius) + p->size, sx, sy);
            break;
        default:
            break;
        }
    }
}

void ApertureRecord::computeSize() {
    std::int64_t sx, sy;
    extentUnits(sx, sy);
    xSize = toLength(static_cast<double>(sx), false);
    ySize = toLength(static_cast<double>(sy), false);
}

} // namespace lumbra
