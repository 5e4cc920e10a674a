// Prints timings of the aperture editor's heavy operations on large apertures, with the file's load
// and save set beside standard tools run on the same file in the same run.
#include "lumbra/cairo_canvas.h"
#include "lumbra/document.h"
#include "lumbra/view.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace lumbra;

namespace {

// A surface that keeps no picture for overlays: they come off by being drawn again in XOR.
class XorOnlyCanvas : public CairoCanvas {
  public:
    using CairoCanvas::CairoCanvas;
    bool noteOverlay(bool) override { return false; }
};

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double childCpuNow() {
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double wallNow() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// One timing: CPU seconds (of this process, or of the children it ran) and wall seconds.
struct Sample {
    double cpu = 0, wall = 0;
};

template <class F> Sample measure(F&& f) {
    double c0 = cpuNow(), w0 = wallNow();
    f();
    return {cpuNow() - c0, wallNow() - w0};
}

Sample measureCommand(const std::string& command) {
    double c0 = childCpuNow(), w0 = wallNow();
    if (std::system(command.c_str()) != 0) std::printf("command failed: %s\n", command.c_str());
    return {childCpuNow() - c0, wallNow() - w0};
}

// The machine is shared: medians of a few runs, CPU time being the steadier figure.
Sample median(std::vector<Sample> v) {
    Sample m;
    std::vector<double> c, w;
    for (const Sample& s : v)
        c.push_back(s.cpu), w.push_back(s.wall);
    std::sort(c.begin(), c.end());
    std::sort(w.begin(), w.end());
    m.cpu = c[c.size() / 2];
    m.wall = w[w.size() / 2];
    return m;
}

void report(const char* what, Sample s, double mb = 0, const std::string& note = "") {
    if (mb > 0)
        std::printf("%-26s cpu %10.3f ms  wall %10.3f ms  %8.1f MB/s (cpu) %s\n", what, s.cpu * 1e3,
                    s.wall * 1e3, mb / s.cpu, note.c_str());
    else
        std::printf("%-26s cpu %10.3f ms  wall %10.3f ms  %s\n", what, s.cpu * 1e3, s.wall * 1e3,
                    note.c_str());
}

void ratio(const char* what, Sample ours, Sample theirs, double goal) {
    std::printf("%-26s cpu %6.2fx  wall %6.2fx  (goal: at least %.1fx)\n", what, theirs.cpu / ours.cpu,
                theirs.wall / ours.wall, goal);
}

// Sizes shrink as the count grows (unless dense), so that every count covers the area about as many
// times over as 10 000 primitives do (about 5): with fixed sizes a million would lie some 500 deep, and
// a paint would measure little but filling the same pixels again and again.
bool gDense = false;
// How often the zoomed-in paint is timed (more to profile it).
int gZoomReps = 5;
// Only the paints, of primitives made in memory (quicker runs when working on the drawing).
bool gPaintOnly = false;
// Only the zoomed-in paint (for profiling it, or counting its instructions under a simulator).
bool gZoomOnly = false;

void fill(ApertureRecord& a, long n, unsigned seed) {
    std::mt19937 rng(seed);
    double shrink = gDense || n <= 10000 ? 1.0 : std::sqrt(10000.0 / double(n));
    auto sized = [&](double v) { return std::max<std::int32_t>(static_cast<std::int32_t>(v * shrink), 1); };
    std::uniform_int_distribution<std::int32_t> coord(-1270000, 1270000), size(sized(2540), sized(127000));
    for (long i = 0; i < n; ++i) {
        Point c{coord(rng), coord(rng)};
        PrimitiveRecord p;
        switch (i % 4) {
        case 0:
            p = PrimitiveRecord::circle(size(rng), c);
            break;
        case 1: {
            // Lines end near where they start, as the other shapes stay near their centres, so that a
            // view of 1 % of the area shows about 1 % of the primitives.
            std::int32_t w = size(rng), dx = size(rng) - sized(64770), dy = size(rng) - sized(64770);
            p = PrimitiveRecord::line(w, c, Point{c.x + dx, c.y + dy});
            break;
        }
        case 2: {
            std::vector<Point> v;
            for (int k = 0; k < 5; ++k)
                v.push_back(Point{c.x + size(rng), c.y + size(rng) - sized(60000)});
            v.push_back(v.front());
            p = PrimitiveRecord::polygon(std::move(v));
            break;
        }
        default: {
            std::int32_t r = size(rng);
            p = PrimitiveRecord::arc(450, 1800, r, size(rng) / 10, c, Point{c.x + r, c.y},
                                     Point{c.x - r, c.y});
        }
        }
        p.polarity = i % 7 ? 1 : 0;
        p.toolWord = i % 5 ? 0 : 256 + int(i % 9);
        a.append(std::move(p));
    }
}

void run(long n, int reps, bool paint) {
    SilentMessages quiet;
    std::string base = "/tmp/aperture-bench-" + std::to_string(::getpid());
    std::string path = base + ".apt", copy = base + "-copy.apt";
    std::printf("--- %ld primitives\n", n);
    double mb = 0;
    CLumbraDoc doc(quiet);
    if (gPaintOnly) {
        doc.OnNewDocument();
        fill(doc.aperture(), n, 7);
    } else {
        CLumbraDoc made(quiet);
        made.OnNewDocument();
        fill(made.aperture(), n, 7);
        report("computeSize", measure([&] { made.aperture().computeSize(); }));
        // Save and the standard copy alternate so that both see the same load on the machine.
        std::vector<Sample> ours, theirs;
        for (int r = 0; r < reps; ++r) {
            ours.push_back(measure([&] {
                if (!made.OnSaveDocument(path)) std::printf("save failed: %s\n", made.lastError().c_str());
            }));
            theirs.push_back(measureCommand("cat " + path + " > " + copy + " && sync " + copy));
        }
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        mb = double(std::ftell(f)) / 1e6;
        std::fclose(f);
        std::printf("file size                  %10.3f MB\n", mb);
        report("save (with fsync)", median(ours), mb);
        report("cat FILE > COPY && sync", median(theirs), mb);
        ratio("save speed / cat+sync", median(ours), median(theirs), 0.5);
        std::remove(copy.c_str());
    }
    if (!gPaintOnly) {
        // Each load opens the file in a new document: closing the previous one is not part of loading.
        std::vector<Sample> ours, theirs;
        bool ok = true;
        for (int r = 0; r < reps; ++r) {
            {
                CLumbraDoc fresh(quiet);
                ours.push_back(measure([&] { ok = fresh.OnOpenDocument(path) && ok; }));
            }
            theirs.push_back(measureCommand("LC_ALL=C wc -w " + path + " > /dev/null"));
        }
        ok = doc.OnOpenDocument(path) && ok;
        report("load (check all, keep 1)", median(ours), mb, ok ? "" : "FAILED");
        {
            std::vector<Sample> checks;
            for (int r = 0; r < reps; ++r)
                checks.push_back(measure([&] {
                    std::FILE* f = std::fopen(path.c_str(), "rb");
                    ok = scanApertureFile(f).ok() && ok;
                    std::fclose(f);
                }));
            report("  of which checking only", median(checks), mb, ok ? "" : "FAILED");
        }
        report("LC_ALL=C wc -w FILE", median(theirs), mb);
        ratio("load speed / wc -w", median(ours), median(theirs), 2.0);
        std::remove(path.c_str());
    }

    CairoCanvas canvas(1920, 1080);
    CLumbraView view(doc);
    view.attachCanvas(&canvas);
    view.zoomAll();
    if (paint && !gZoomOnly) {
        std::vector<Sample> v;
        for (int r = 0; r < 3; ++r)
            v.push_back(measure([&] { view.paint(); }));
        report("paint 1920 x 1080", median(v));
    }
    if (paint) {
        // A window around the centre, of the client's shape, whose area is 1 % of the aperture's (the
        // whole-aperture view is twice the aperture's size in each direction). sx, sy: full width and height.
        ViewWindow all = view.window;
        std::int64_t sx = 0, sy = 0;
        view.aperture().extentUnits(sx, sy);
        double hh = std::sqrt(0.0025 * double(sx) * double(sy) * canvas.height() / canvas.width());
        double hw = hh * canvas.width() / canvas.height();
        ViewWindow part{std::int32_t(-hw), std::int32_t(-hh), std::int32_t(hw), std::int32_t(hh)};
        std::vector<Sample> v;
        for (int r = 0; r < gZoomReps; ++r) {
            view.window = part;
            v.push_back(measure([&] { view.paint(); }));
        }
        int inView = view.selectWindow(Point{part.left, part.bottom}, Point{part.right, part.top}, -1);
        view.aperture().clearSelection();
        report("paint zoomed in to 1 %", median(v), 0, "(" + std::to_string(inView) + " wholly in view)");
        if (gZoomOnly) return;
        // The same view with every primitive drawn, as before culling.
        view.cullHidden = false;
        v.clear();
        for (int r = 0; r < 3; ++r) {
            view.window = part;
            v.push_back(measure([&] { view.paint(); }));
        }
        report("  the same, nothing culled", median(v));
        view.cullHidden = true;
        view.window = all;
        view.paint();
        // The XOR highlight of a window selection of at least 10 000 primitives (or all of them).
        int selected = 0;
        for (std::int32_t half = 20000; half < 1400000; half += half / 4) {
            selected = view.selectWindow(Point{-half, -half}, Point{half, half}, -1);
            if (selected >= 10000) break;
        }
        std::string note = "(" + std::to_string(selected) + " selected)";
        std::vector<Sample> on, off;
        for (int r = 0; r < 5; ++r) {
            on.push_back(measure([&] { view.highlightSelection(); }));
            off.push_back(measure([&] { view.highlightSelection(); }));
        }
        report("highlight the selection", median(on), 0, note);
        report("  and again (XOR: erased)", median(off), 0, note);
        std::vector<Sample> restore;
        for (int r = 0; r < 5; ++r) {
            view.highlightSelection();
            restore.push_back(measure([&] { view.restoreFrame(); }));
        }
        report("  taken off: kept frame", median(restore), 0);
        // The Copy/Move preview of that selection following the mouse: each move takes the outlines off
        // (by copying back the rows they covered, or, on a surface that keeps no picture, by drawing
        // the recorded calls again in XOR) and draws them at the new place.
        XorOnlyCanvas xorOnly(canvas.width(), canvas.height());
        for (CairoCanvas* target :
             {static_cast<CairoCanvas*>(&canvas), static_cast<CairoCanvas*>(&xorOnly)}) {
            view.attachCanvas(target);
            view.window = all;
            view.paint();
            const double unitsPerPixel = 1.0 / view.scale;
            view.rubberBands().push([&](Canvas& c, int x, int y) {
                auto dx = static_cast<std::int32_t>((x - 960) * unitsPerPixel),
                     dy = static_cast<std::int32_t>((540 - y) * unitsPerPixel);
                for (const PrimitiveRecord* p : view.aperture().selectedMembers())
                    view.drawPrimitive(c, *p, dx, dy, true);
            });
            std::vector<Sample> moves;
            for (int r = 0; r < 9; ++r)
                moves.push_back(measure([&] {
                    view.rubberBands().redraw(target, 960 + 7 * r, 540 - 5 * r, RubberBandStack::Draw);
                }));
            view.rubberBands().popAll(target);
            report(target == &canvas ? "preview move, kept frame" : "  the same, XOR record/replay",
                   median(moves), 0, note);
        }
        view.attachCanvas(&canvas);
        view.window = all;
        view.paint();
        view.aperture().clearSelection();
    }
    if (gPaintOnly) return;
    auto timed = [&](const char* what, auto&& f) {
        std::vector<Sample> v;
        std::string note;
        for (int r = 0; r < 9; ++r)
            v.push_back(measure([&] { note = f(); }));
        report(what, median(v), 0, note);
    };
    timed("pick (hit)", [&] {
        return std::string(view.pickAt(Point{12345, -6789}, -1) ? "(hit)" : "(nothing)");
    });
    timed("pick (miss)", [&] {
        return std::string(view.pickAt(Point{1500000, 1500000}, -1) ? "(hit)" : "(nothing)");
    });
    timed("window selection (large)", [&] {
        int s = view.selectWindow(Point{-600000, -600000}, Point{600000, 600000}, -1);
        return "(" + std::to_string(s) + " selected)";
    });
    timed("window selection (small)", [&] {
        int s = view.selectWindow(Point{-60000, -60000}, Point{60000, 60000}, -1);
        return "(" + std::to_string(s) + " selected)";
    });
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> counts;
    bool paint = true;
    int reps = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-paint") == 0)
            paint = false;
        else if (std::strcmp(argv[i], "--paint-only") == 0)
            gPaintOnly = true;
        else if (std::strcmp(argv[i], "--zoom-only") == 0)
            gPaintOnly = gZoomOnly = true;
        else if (std::strcmp(argv[i], "--dense") == 0)
            gDense = true;
        else if (std::strncmp(argv[i], "--zoom-reps=", 12) == 0)
            gZoomReps = std::max(1, std::atoi(argv[i] + 12));
        else if (std::strncmp(argv[i], "--reps=", 7) == 0)
            reps = std::max(1, std::atoi(argv[i] + 7));
        else
            counts.push_back(std::atol(argv[i]));
    }
    if (counts.empty()) counts = {10000, 100000, 1000000};
    for (long n : counts)
        run(n, reps, paint);
}
