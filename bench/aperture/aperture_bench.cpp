// Prints timings of the aperture editor's heavy operations on large apertures.
#include "cairo_canvas.h"
#include "document.h"
#include "view.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

using namespace lumbra;

namespace {

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
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
        auto t = std::chrono::steady_clock::now();
        doc.aperture().computeSize();
        std::printf("computeSize              %10.3f ms\n", seconds(t) * 1e3);
        t = std::chrono::steady_clock::now();
        if (!doc.OnSaveDocument(path)) std::printf("save failed: %s\n", doc.lastError().c_str());
        double save = seconds(t);
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::fseek(f, 0, SEEK_END);
        mb = std::ftell(f) / 1e6;
        std::fclose(f);
        std::printf("file size                %10.3f MB\n", mb);
        std::printf("save                     %10.3f ms  %8.1f MB/s\n", save * 1e3, mb / save);
    }
    {
        auto t = std::chrono::steady_clock::now();
        std::FILE* f = std::fopen(path.c_str(), "rb");
        std::vector<char> buf(1 << 16);
        std::size_t total = 0, got;
        while ((got = std::fread(buf.data(), 1, buf.size(), f)) > 0)
            total += got;
        std::fclose(f);
        double raw = seconds(t);
        std::printf("read bytes only          %10.3f ms  %8.1f MB/s (%zu bytes)\n", raw * 1e3, mb / raw,
                    total);
    }
    CLumbraDoc doc(quiet);
    doc.OnNewDocument();
    auto t = std::chrono::steady_clock::now();
    bool ok = doc.OnOpenDocument(path);
    double load = seconds(t);
    std::printf("load (scan + parse)      %10.3f ms  %8.1f MB/s %s\n", load * 1e3, mb / load,
                ok ? "" : "FAILED");
    std::remove(path.c_str());

    CairoCanvas canvas(1920, 1080);
    CLumbraView view(doc);
    view.attachCanvas(&canvas);
    view.zoomAll();
    t = std::chrono::steady_clock::now();
    view.paint();
    std::printf("paint 1920 x 1080        %10.3f ms\n", seconds(t) * 1e3);
    t = std::chrono::steady_clock::now();
    PrimitiveRecord* hit = view.pickAt(Point{12345, -6789}, -1);
    std::printf("pick                     %10.3f ms  (%s)\n", seconds(t) * 1e3, hit ? "hit" : "nothing");
    t = std::chrono::steady_clock::now();
    int selected = view.selectWindow(Point{-600000, -600000}, Point{600000, 600000}, -1);
    std::printf("window selection         %10.3f ms  (%d selected)\n", seconds(t) * 1e3, selected);
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
