// The aperture being edited: an ordered list of primitives (circles, lines, polygons, arcs), the
// current selection and a one-level undo snapshot.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace lumbra {

enum PrimitiveType : std::int32_t { AP_CIRCLE = 20, AP_LINE = 30, AP_POLYGON = 40, AP_ARC = 50 };

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// One primitive. Fields are named rather than packed into words; which ones matter depends on type:
//   circle:  size = diameter, centre
//   line:    size = width, start, end
//   polygon: vertices (n + 1 points, the last repeating the first)
//   arc:     size = stroke width, startAngle, sweep (0.1 degree), radius, centre, start, end
struct PrimitiveRecord {
    std::int32_t type = AP_CIRCLE;
    std::int32_t toolWord = 0; // 0 = no drill tool, else tool + 255
    std::int32_t selected = 0;
    const PrimitiveRecord* origin = nullptr; // in copies: the primitive copied from
    std::int32_t polarity = 1;               // 1 positive, anything else negative
    std::int32_t size = 0;
    Point centre;
    Point start;
    Point end;
    std::int32_t startAngle = 0;
    std::int32_t sweep = 0;
    std::int32_t radius = 0;
    std::vector<Point> vertices;

    static PrimitiveRecord circle(std::int32_t diameter, Point c);
    static PrimitiveRecord line(std::int32_t width, Point a, Point b);
    static PrimitiveRecord polygon(std::vector<Point> closedOutline);
    static PrimitiveRecord arc(std::int32_t startAngle, std::int32_t sweep, std::int32_t radius,
                               std::int32_t width, Point c, Point s, Point e);

    // n: the number of distinct vertices of a polygon.
    std::int32_t vertexCount() const { return static_cast<std::int32_t>(vertices.size()) - 1; }
    bool drilled() const { return toolWord > 254; }
    int toolNumber() const { return toolWord >= 256 ? toolWord - 255 : 0; }
    // Circle centre, line start, first polygon vertex, arc start point.
    Point referencePoint() const;
    // An exact copy whose origin is this primitive.
    std::unique_ptr<PrimitiveRecord> copy() const;

    // Records come from large blocks rather than one heap allocation each (see aperture.cpp).
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;
};

// Memory for the records and per-primitive arrays of an aperture. A million primitives span thousands
// of ordinary pages, and a zoomed-in paint or a pick reaches into them far apart: on huge pages, where
// the system gives them, such lookups seldom miss the processor's address cache. Small requests are
// plain heap allocations.
void* allocateLarge(std::size_t bytes);
void freeLarge(void* p, std::size_t bytes) noexcept;

template <class T> struct LargeAllocator {
    using value_type = T;
    LargeAllocator() = default;
    template <class U> LargeAllocator(const LargeAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > std::numeric_limits<std::size_t>::max() / sizeof(T)) throw std::bad_array_new_length();
        return static_cast<T*>(allocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { freeLarge(p, n * sizeof(T)); }
    template <class U> bool operator==(const LargeAllocator<U>&) const noexcept { return true; }
};

using PrimitiveList =
    std::vector<std::unique_ptr<PrimitiveRecord>, LargeAllocator<std::unique_ptr<PrimitiveRecord>>>;

// An inclusive rectangle in units for the pick and window scans; lx > hx marks one that matches nothing.
struct Box {
    std::int32_t lx = 1, ly = 1, hx = 0, hy = 0;
    bool holds(Point p) const { return p.x >= lx && p.x <= hx && p.y >= ly && p.y <= hy; }
    friend bool operator==(const Box&, const Box&) = default;
};
using BoxList = std::vector<Box, LargeAllocator<Box>>;

// Holds every point the exact hit test of the primitive can accept (a little more is harmless).
Box hitBox(const PrimitiveRecord& p);
// The box of the points that decide a window selection: circle centre, line and arc end points,
// every polygon vertex.
Box definingBox(const PrimitiveRecord& p);

inline std::int32_t toolWordFor(int tool) {
    return tool <= 0 ? 0 : tool + 255;
}

class ApertureRecord {
  public:
    ApertureRecord() = default;
    ApertureRecord(const ApertureRecord&) = delete;
    ApertureRecord& operator=(const ApertureRecord&) = delete;
    ~ApertureRecord();

    const std::string& name() const { return name_; }
    double xSize = 0.1; // inches
    double ySize = 0.1;

    void reset(const std::string& name, double xSizeInches, double ySizeInches);
    // Takes ownership; returns the appended primitive.
    PrimitiveRecord* append(std::unique_ptr<PrimitiveRecord> p);
    PrimitiveRecord* append(PrimitiveRecord p) {
        return append(std::make_unique<PrimitiveRecord>(std::move(p)));
    }
    // Unlinks a list member by identity and hands it back (null when it is not in the list).
    std::unique_ptr<PrimitiveRecord> remove(const PrimitiveRecord* p);
    // Unlinks every member whose identity is in the given set in one pass; returns how many went.
    std::size_t removeAll(const std::vector<const PrimitiveRecord*>& members);
    // Replaces everything, as reset does, with primitives read from a file.
    void adopt(const std::string& name, double xSizeInches, double ySizeInches, PrimitiveList primitives);
    int count() const { return static_cast<int>(list_.size()); }
    const PrimitiveList& primitives() const { return list_; }
    PrimitiveRecord* at(std::size_t i) const { return list_[i].get(); }
    // Index of a list member, or -1.
    long indexOf(const PrimitiveRecord* p) const;

    // Boxes of the list members, in list order, for scans that test the exact shape of candidates
    // only. Kept beside the list, as is the extent; a member changed in place other than through
    // retool needs invalidateBoxes().
    const BoxList& hitBoxes() const;
    const BoxList& definingBoxes() const;
    void invalidateBoxes() {
        boxesValid_ = false;
        extentValid_ = false;
        ++changes_;
    }
    // Counts the changes of the list and its boxes: an index built over the boxes is still good while
    // this stays the same.
    std::uint64_t changes() const { return changes_; }

    void snapshot();
    bool hasSnapshot() const { return hasSnapshot_; }
    const PrimitiveList& undoSnapshot() const { return snapshot_; }
    void undo();

    // Selection: single pick (selectionCount == -1), window selection (> 0) or none (0). It is kept
    // as the list of selected members, so clearing it costs what is selected, not the whole list.
    void clearSelection();
    // A list member; at, when known, is its index (saves a search).
    void setPick(PrimitiveRecord* p, long at = -1);
    void addWindowSelection(PrimitiveRecord* p);
    // Replaces the selection by these list members, in this order (a window selection of them all).
    void setWindowSelection(std::vector<PrimitiveRecord*> members);
    PrimitiveRecord* pick() const { return pick_; }
    // Index of the pick in the list, or -1.
    long pickIndex() const;
    // Copies of the window-selected members (origin = the member), made when first asked for.
    const PrimitiveList& selectionCopies() const;
    int selectionCount() const { return selectionCount_; }
    // The list members that are selected, in selection order.
    std::vector<PrimitiveRecord*> selectedMembers() const;

    static void translate(PrimitiveRecord& p, std::int32_t dx, std::int32_t dy);
    void retool(PrimitiveRecord& p, std::int32_t size, std::int32_t tool);
    std::int32_t sizeOfTool(std::int32_t tool) const;
    void computeSize();
    // Half extents in units of the smallest origin-centred box (64-bit: no overflow).
    void extentUnits(std::int64_t& sx, std::int64_t& sy) const;

    bool modified() const { return modified_; }
    void setModified(bool m) { modified_ = m; }
    bool closing = false;

  private:
    void mark() {
        if (!closing) modified_ = true;
    }
    void selectionChanged() { copiesValid_ = false; }
    void forgetMembers(const std::vector<const PrimitiveRecord*>& gone);

    std::string name_ = "untitled";
    PrimitiveList list_;
    PrimitiveList snapshot_;
    bool hasSnapshot_ = false;
    PrimitiveRecord* pick_ = nullptr;
    mutable long pickIndex_ = -1; // a hint, checked before use
    std::vector<PrimitiveRecord*> windowSelection_;
    mutable PrimitiveList selectionCopies_;
    mutable bool copiesValid_ = true;
    int selectionCount_ = 0;
    mutable BoxList hitBoxes_, definingBoxes_;
    mutable bool boxesValid_ = true;
    // The extent (extentUnits), kept under the same rule as the boxes.
    mutable std::int64_t extentX_ = 0, extentY_ = 0;
    mutable bool extentValid_ = false;
    std::uint64_t changes_ = 0;
    bool modified_ = false;
};

} // namespace lumbra
