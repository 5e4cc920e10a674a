// Prints timings of the aperture editor's heavy operations on large apertures.
#include "cairo_canvas.h"
#include "document.h"
#include "view.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lumbra;

namespace {

// The machine is shared: CPU time of this process is the steadier figure, wall time is printed too.
struct Stopwatch {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    double cpu0 = cpuNow();
    static double cpuNow() {
        timespec ts{};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
        return ts.tv_sec + ts.tv_nsec * 1e-9;
    }
    double cpu() const { return cpuNow() - cpu0; }
    double elapsed() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count();
    }
};

void report(const char* what, const Stopwatch& t, double mb = 0, const char* note = "") {
    double c = t.cpu(), w = t.elapsed();
    if (mb > 0)
        std::printf("%-24s cpu %10.3f ms  wall %10.3f ms  %8.1f MB/s (cpu) %s\n", what, c * 1e3, w * 1e3,
                    mb / c, note);
    else
        std::printf("%-24s cpu %10.3f ms  wall %10.3f ms  %s\n", what, c * 1e3, w * 1e3, note);
}

void fill(ApertureRecord& a, long n, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::int32_t> coord(-1270000, 1270000), size(2540, 127000);
    for (long i = 0; i < n; ++i) {
        Point c{coord(rng), coord(rng)};
        PrimitiveRecord p;
        switch (i % 4) {
        case 0:
            p = PrimitiveRecord::circle(size(rng), c);
            break;
        case 1:
            p = PrimitiveRecord::line(size(rng), c, Point{coord(rng), coord(rng)});
            break;
        case 2: {
            std::vector<Point> v;
            for (int k = 0; k < 5; ++k)
                v.push_back(Point{c.x + size(rng), c.y + size(rng) - 60000});
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

void run(long n) {
    SilentMessages quiet;
    std::string path = "/tmp/aperture-bench-" + std::to_string(::getpid()) + ".apt";
    std::printf("--- %ld primitives\n", n);
    double mb = 0;
    {
        CLumbraDoc doc(quiet);
        doc.OnNewDocument();
        fill(doc.aperture(), n, 7);
        Stopwatch t;
        doc.aperture().computeSize();
        report("computeSize", t);
        Stopwatch s;
        if (!doc.OnSaveDocument(path)) std::printf("save failed: %s\n", doc.lastError().c_str());
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        mb = std::ftell(f) / 1e6;
        std::fclose(f);
        std::printf("file size                %10.3f MB\n", mb);
        report("save (with fsync)", s, mb);
    }
    {
        Stopwatch t;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::vector<char> buf(1 << 16);
        std::size_t total = 0, got;
        while ((got = std::fread(buf.data(), 1, buf.size(), f)) > 0)
            total += got;
        std::fclose(f);
        std::string note = std::to_string(total) + " bytes";
        report("read bytes only", t, mb, note.c_str());
    }
    CLumbraDoc doc(quiet);
    doc.OnNewDocument();
    Stopwatch l;
    bool ok = doc.OnOpenDocument(path);
    report("load (scan + parse)", l, mb, ok ? "" : "FAILED");
    std::remove(path.c_str());

    CairoCanvas canvas(1920, 1080);
    CLumbraView view(doc);
    view.attachCanvas(&canvas);
    view.zoomAll();
    Stopwatch p;
    view.paint();
    report("paint 1920 x 1080", p);
    Stopwatch k;
    PrimitiveRecord* hit = view.pickAt(Point{12345, -6789}, -1);
    report("pick", k, 0, hit ? "(hit)" : "(nothing)");
    Stopwatch ws;
    int selected = view.selectWindow(Point{-600000, -600000}, Point{600000, 600000}, -1);
    std::string sel = "(" + std::to_string(selected) + " selected)";
    report("window selection", ws, 0, sel.c_str());
}

} // namespace

int main(int argc, char** argv) {
    std::vector<long> counts;
    for (int i = 1; i < argc; ++i)
        counts.push_back(std::atol(argv[i]));
    if (counts.empty()) counts = {10000, 1000000};
    for (long n : counts)
        run(n);
}
