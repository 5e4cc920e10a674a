#include "lumbra/aperture.h"

#include "lumbra/units.h"

#include <sys/mman.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

namespace lumbra {

namespace {
void raiseExtent(const PrimitiveRecord& p, std::int64_t& sx, std::int64_t& sy);
} // namespace

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

namespace {

std::int32_t saturate(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

Box around(std::int64_t lx, std::int64_t ly, std::int64_t hx, std::int64_t hy) {
    return Box{saturate(lx), saturate(ly), saturate(hx), saturate(hy)};
}

Box boxOfPoints(const Point* pts, std::size_t n, std::int64_t margin) {
    if (n == 0) return Box{};
    std::int64_t lx = pts[0].x, hx = lx, ly = pts[0].y, hy = ly;
    for (std::size_t i = 1; i < n; ++i) {
        lx = std::min<std::int64_t>(lx, pts[i].x), hx = std::max<std::int64_t>(hx, pts[i].x);
        ly = std::min<std::int64_t>(ly, pts[i].y), hy = std::max<std::int64_t>(hy, pts[i].y);
    }
    return around(lx - margin, ly - margin, hx + margin, hy + margin);
}

} // namespace

// Mirrors the hit tests of the view: a square of half the diameter around a circle; a line's body
// (widened by its half width, and beyond the ends when diagonal or tool word 5); the outline of a
// polygon; the ring of an arc. Margins of a unit or a half width more cover the rounding there.
Box hitBox(const PrimitiveRecord& p) {
    switch (p.type) {
    case AP_CIRCLE: {
        std::int64_t h = p.size / 2;
        if (h < 0) return Box{};
        return around(std::int64_t(p.centre.x) - h, std::int64_t(p.centre.y) - h,
                      std::int64_t(p.centre.x) + h, std::int64_t(p.centre.y) + h);
    }
    case AP_LINE: {
        std::int64_t hw = p.size / 2;
        if (hw < 0) return Box{};
        std::int64_t x1 = p.start.x, y1 = p.start.y, x2 = p.end.x, y2 = p.end.y;
        if (x1 == x2 || y1 == y2) {
            std::int64_t ext = p.toolWord == 5 ? hw : 0;
            if (y1 == y2) return around(std::min(x1, x2) - ext, y1 - hw, std::max(x1, x2) + ext, y1 + hw);
            return around(x1 - hw, std::min(y1, y2) - ext, x1 + hw, std::max(y1, y2) + ext);
        }
        std::int64_t m = 2 * hw + 1;
        return around(std::min(x1, x2) - m, std::min(y1, y2) - m, std::max(x1, x2) + m, std::max(y1, y2) + m);
    }
    case AP_POLYGON:
        if (p.vertices.size() < 2) return Box{};
        return boxOfPoints(p.vertices.data(), p.vertices.size(), 1);
    case AP_ARC: {
        std::int64_t r = std::abs(std::int64_t(p.radius)) + std::abs(std::int64_t(p.size)) + 1;
        return around(std::int64_t(p.centre.x) - r, std::int64_t(p.centre.y) - r,
                      std::int64_t(p.centre.x) + r, std::int64_t(p.centre.y) + r);
    }
    default:
        return Box{};
    }
}

Box definingBox(const PrimitiveRecord& p) {
    switch (p.type) {
    case AP_CIRCLE:
        return boxOfPoints(&p.centre, 1, 0);
    case AP_LINE:
    case AP_ARC: {
        Point ends[2] = {p.start, p.end};
        return boxOfPoints(ends, 2, 0);
    }
    case AP_POLYGON:
        return boxOfPoints(p.vertices.data(), p.vertices.size(), 0);
    default:
        return Box{};
    }
}

namespace {
constexpr std::size_t kHugePage = std::size_t(2) << 20;
} // namespace

void* allocateLarge(std::size_t bytes) {
    if (bytes < 2 * kHugePage) return ::operator new(bytes);
    const std::size_t whole = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    if (whole < bytes) throw std::bad_alloc();
    void* p = std::aligned_alloc(kHugePage, whole);
    if (!p) throw std::bad_alloc();
    // Only advice: without huge pages the memory is as good.
    ::madvise(p, whole, MADV_HUGEPAGE);
    return p;
}

void freeLarge(void* p, std::size_t bytes) noexcept {
    if (bytes < 2 * kHugePage)
        ::operator delete(p);
    else
        std::free(p);
}

namespace {

#if defined(__SANITIZE_ADDRESS__)
#define LUMBRA_RECORD_POOL 0 // every record its own allocation, so the sanitizer sees each one
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LUMBRA_RECORD_POOL 0
#endif
#endif
#ifndef LUMBRA_RECORD_POOL
#define LUMBRA_RECORD_POOL 1
#endif

#if LUMBRA_RECORD_POOL
// A million primitives would otherwise be a million allocations and as many frees, scattered over
// the heap. Records are cut from blocks of many instead, side by side in the order they are made; a
// freed record is reused by the next one. Each thread cuts from its own blocks (the editor has one);
// blocks stay for the life of the program, listed so that they remain reachable.
class RecordPool {
  public:
    void* take() {
        if (free_) {
            Slot* s = free_;
            free_ = s->next;
            return s;
        }
        if (next_ == end_) grow();
        void* p = next_;
        next_ += sizeof(PrimitiveRecord);
        return p;
    }
    void give(void* p) {
        auto* s = static_cast<Slot*>(p);
        s->next = free_;
        free_ = s;
    }

  private:
    struct Slot {
        Slot* next;
    };
    // Two huge pages a block.
    static constexpr std::size_t kBlockBytes = std::size_t(4) << 20;
    static std::vector<char*>& blocks() {
        static auto* all = new std::vector<char*>;
        return *all;
    }
    void grow() {
        auto* block = static_cast<char*>(allocateLarge(kBlockBytes));
        const std::size_t bytes = kBlockBytes / sizeof(PrimitiveRecord) * sizeof(PrimitiveRecord);
        {
            static std::mutex m;
            std::lock_guard<std::mutex> lock(m);
            blocks().push_back(block);
        }
        next_ = block;
        end_ = block + bytes;
    }
    Slot* free_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

thread_local RecordPool recordPool;
#endif

} // namespace

void* PrimitiveRecord::operator new(std::size_t size) {
#if LUMBRA_RECORD_POOL
    if (size == sizeof(PrimitiveRecord)) return recordPool.take();
#endif
    return ::operator new(size);
}

void PrimitiveRecord::operator delete(void* p, std::size_t size) noexcept {
    if (!p) return;
#if LUMBRA_RECORD_POOL
    if (size == sizeof(PrimitiveRecord)) return recordPool.give(p);
#else
    (void)size;
#endif
    ::operator delete(p);
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
    hitBoxes_.clear();
    definingBoxes_.clear();
    boxesValid_ = true;
    extentValid_ = false;
    ++changes_;
}

void ApertureRecord::adopt(const std::string& name, double xSizeInches, double ySizeInches,
                           PrimitiveList primitives) {
    reset(name, xSizeInches, ySizeInches);
    // Read from a file: neither selected nor copies of anything.
    list_ = std::move(primitives);
    boxesValid_ = false;
    extentValid_ = false;
    ++changes_;
    if (!list_.empty()) mark();
}

PrimitiveRecord* ApertureRecord::append(std::unique_ptr<PrimitiveRecord> p) {
    p->selected = 0;
    if (extentValid_) raiseExtent(*p, extentX_, extentY_);
    ++changes_;
    list_.push_back(std::move(p));
    if (boxesValid_) {
        hitBoxes_.push_back(hitBox(*list_.back()));
        definingBoxes_.push_back(definingBox(*list_.back()));
    }
    mark();
    return list_.back().get();
}

long ApertureRecord::indexOf(const PrimitiveRecord* p) const {
    for (std::size_t i = 0; i < list_.size(); ++i)
        if (list_[i].get() == p) return static_cast<long>(i);
    return -1;
}

const BoxList& ApertureRecord::hitBoxes() const {
    if (!boxesValid_) {
        hitBoxes_.resize(list_.size());
        definingBoxes_.resize(list_.size());
        for (std::size_t i = 0; i < list_.size(); ++i) {
            hitBoxes_[i] = hitBox(*list_[i]);
            definingBoxes_[i] = definingBox(*list_[i]);
        }
        boxesValid_ = true;
    }
    return hitBoxes_;
}

const BoxList& ApertureRecord::definingBoxes() const {
    hitBoxes();
    return definingBoxes_;
}

// Members that left the list leave the selection too (nothing may point at them afterwards).
void ApertureRecord::forgetMembers(const std::vector<const PrimitiveRecord*>& gone) {
    if (gone.empty()) return;
    std::unordered_set<const PrimitiveRecord*> doomed(gone.begin(), gone.end());
    if (pick_ && doomed.count(pick_)) {
        pick_ = nullptr;
        pickIndex_ = -1;
        selectionCount_ = 0;
    }
    std::size_t before = windowSelection_.size();
    std::erase_if(windowSelection_, [&](const PrimitiveRecord* p) { return doomed.count(p) != 0; });
    if (windowSelection_.size() != before) {
        selectionCount_ = static_cast<int>(windowSelection_.size());
        selectionChanged();
    }
}

std::unique_ptr<PrimitiveRecord> ApertureRecord::remove(const PrimitiveRecord* p) {
    long i = pick_ == p ? pickIndex() : indexOf(p);
    if (i < 0) return nullptr;
    auto at = static_cast<std::size_t>(i);
    auto out = std::move(list_[at]);
    list_.erase(list_.begin() + i);
    extentValid_ = false;
    ++changes_;
    if (boxesValid_) {
        hitBoxes_.erase(hitBoxes_.begin() + i);
        definingBoxes_.erase(definingBoxes_.begin() + i);
    }
    if (pickIndex_ > i) --pickIndex_;
    // A selected member that left the list is no longer selected.
    forgetMembers({p});
    mark();
    return out;
}

std::size_t ApertureRecord::removeAll(const std::vector<const PrimitiveRecord*>& members) {
    std::unordered_set<const PrimitiveRecord*> doomed(members.begin(), members.end());
    std::vector<const PrimitiveRecord*> gone;
    extentValid_ = false;
    ++changes_;
    // One pass that keeps the boxes beside their primitives.
    std::size_t kept = 0;
    for (std::size_t i = 0; i < list_.size(); ++i) {
        if (doomed.count(list_[i].get())) {
            gone.push_back(list_[i].get());
            continue;
        }
        if (kept != i) {
            list_[kept] = std::move(list_[i]);
            if (boxesValid_) {
                hitBoxes_[kept] = hitBoxes_[i];
                definingBoxes_[kept] = definingBoxes_[i];
            }
        }
        ++kept;
    }
    forgetMembers(gone);
    list_.resize(kept);
    if (boxesValid_) {
        hitBoxes_.resize(kept);
        definingBoxes_.resize(kept);
    }
    pickIndex_ = -1;
    if (!gone.empty()) mark();
    return gone.size();
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
    boxesValid_ = false;
    extentValid_ = false;
    ++changes_;
    for (auto& p : list_)
        p->origin = nullptr; // the sources are gone
    for (std::size_t i = 0; i < list_.size(); ++i) {
        PrimitiveRecord* p = list_[i].get();
        if (!p->selected) continue;
        if (singlePick) {
            if (pick_) {
                p->selected = 0; // only the first flagged one is the pick
                continue;
            }
            setPick(p, static_cast<long>(i));
            continue;
        }
        addWindowSelection(p);
    }
    mark();
}

void ApertureRecord::clearSelection() {
    // Only what is selected carries the flag, so only that needs clearing.
    for (PrimitiveRecord* p : windowSelection_)
        p->selected = 0;
    if (pick_) pick_->selected = 0;
    windowSelection_.clear();
    selectionCopies_.clear();
    copiesValid_ = true;
    pick_ = nullptr;
    pickIndex_ = -1;
    selectionCount_ = 0;
}

void ApertureRecord::setPick(PrimitiveRecord* p, long at) {
    p->selected = 1;
    pick_ = p;
    pickIndex_ = at;
    selectionCount_ = -1;
    selectionChanged();
}

long ApertureRecord::pickIndex() const {
    if (!pick_) return -1;
    auto i = static_cast<std::size_t>(pickIndex_);
    if (pickIndex_ < 0 || i >= list_.size() || list_[i].get() != pick_) pickIndex_ = indexOf(pick_);
    return pickIndex_;
}

void ApertureRecord::addWindowSelection(PrimitiveRecord* p) {
    p->selected = 1;
    windowSelection_.push_back(p);
    selectionCount_ = static_cast<int>(windowSelection_.size());
    selectionChanged();
}

void ApertureRecord::setWindowSelection(std::vector<PrimitiveRecord*> members) {
    clearSelection();
    for (PrimitiveRecord* p : members)
        p->selected = 1;
    windowSelection_ = std::move(members);
    selectionCount_ = static_cast<int>(windowSelection_.size());
    selectionChanged();
}

const PrimitiveList& ApertureRecord::selectionCopies() const {
    if (!copiesValid_) {
        selectionCopies_.clear();
        if (selectionCount_ > 0) {
            selectionCopies_.reserve(windowSelection_.size());
            for (const PrimitiveRecord* p : windowSelection_)
                selectionCopies_.push_back(p->copy());
        }
        copiesValid_ = true;
    }
    return selectionCopies_;
}

std::vector<PrimitiveRecord*> ApertureRecord::selectedMembers() const {
    if (selectionCount_ == -1 && pick_) return {pick_};
    if (selectionCount_ > 0) return windowSelection_;
    return {};
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
    // The size and the tool word (a line's ends) shape the hit box.
    boxesValid_ = false;
    extentValid_ = false;
    ++changes_;
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

namespace {

void raiseExtent(const PrimitiveRecord& p, std::int64_t& sx, std::int64_t& sy) {
    switch (p.type) {
    case AP_CIRCLE:
        circleExtent(p.centre, p.size, sx, sy);
        break;
    case AP_LINE:
        lineExtent(p, sx, sy);
        break;
    case AP_POLYGON:
        if (p.vertices.size() > 1) pointsExtent(p.vertices.data(), p.vertices.size() - 1, sx, sy);
        break;
    case AP_ARC:
        circleExtent(p.centre, 2 * static_cast<std::int64_t>(p.radius) + p.size, sx, sy);
        break;
    default:
        break;
    }
}

} // namespace

// The view asks at every paint (for its scroll bars): the extent is kept until the list changes, and
// an append only widens it.
void ApertureRecord::extentUnits(std::int64_t& sx, std::int64_t& sy) const {
    if (!extentValid_) {
        extentX_ = extentY_ = 0;
        for (const auto& p : list_)
            raiseExtent(*p, extentX_, extentY_);
        extentValid_ = true;
    }
    sx = extentX_;
    sy = extentY_;
}

void ApertureRecord::computeSize() {
    std::int64_t sx, sy;
    extentUnits(sx, sy);
    xSize = toLength(static_cast<double>(sx), false);
    ySize = toLength(static_cast<double>(sy), false);
}

} // namespace lumbra
