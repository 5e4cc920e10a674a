// Feeds arbitrary bytes to the aperture file reader: scan, load every listed aperture, save again,
// and check that what was saved reads back to the same text.
#include "lumbra/aperture_file.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::FILE* memoryFile(const void* data, std::size_t size) {
    std::FILE* f = std::tmpfile();
    if (!f) return nullptr;
    if (size) std::fwrite(data, 1, size, f);
    std::rewind(f);
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = memoryFile(data, size);
    if (!f) return 0;
    lumbra::ScanResult scan = lumbra::scanApertureFile(f);
    // The one pass that keeps the first aperture checks and lists exactly what the scan does.
    lumbra::LoadedAperture first;
    lumbra::ScanResult once = lumbra::readApertureFile(f, first);
    if (once.error != scan.error || once.aperturesInFile != scan.aperturesInFile ||
        once.catalog.size() != scan.catalog.size() || once.places.size() != scan.catalog.size())
        std::abort();
    if (scan.ok()) {
        for (std::size_t k = 1; k <= scan.catalog.size() && k <= 4; ++k) {
            lumbra::LoadedAperture loaded;
            std::string error;
            if (!lumbra::loadApertureFromFile(f, static_cast<long>(k), loaded, error)) std::abort();
            lumbra::ApertureRecord a;
            a.reset(loaded.name, loaded.xSize, loaded.ySize);
            for (auto& p : loaded.primitives)
                a.append(std::move(p));
            std::string text = lumbra::writeApertureText(a);
            // Reading the aperture again from the place the pass noted, or keeping the first while
            // passing, gives the same aperture.
            lumbra::LoadedAperture placed;
            if (!lumbra::loadListedAperture(f, once, static_cast<long>(k), placed, error)) std::abort();
            lumbra::ApertureRecord b;
            b.adopt(placed.name, placed.xSize, placed.ySize, std::move(placed.primitives));
            if (lumbra::writeApertureText(b) != text) std::abort();
            if (k == 1) {
                lumbra::ApertureRecord c;
                c.adopt(first.name, first.xSize, first.ySize, std::move(first.primitives));
                if (lumbra::writeApertureText(c) != text) std::abort();
            }
            // A name near the line limit can make the recomputed head line too long to read back.
            if (loaded.name.size() > 200) continue;
            // Names the editor refuses to save need not read back.
            if (!lumbra::nameUnfitForSaving(loaded.name).empty()) continue;
            // What the editor writes, it reads back unchanged.
            std::FILE* g = memoryFile(text.data(), text.size());
            lumbra::LoadedAperture again;
            if (!g || !lumbra::loadApertureFromFile(g, 1, again, error)) std::abort();
            lumbra::ApertureRecord d;
            d.reset(again.name, again.xSize, again.ySize);
            for (auto& p : again.primitives)
                d.append(std::move(p));
            if (lumbra::writeApertureText(d) != text) std::abort();
            std::fclose(g);
        }
    }
    std::fclose(f);
    return 0;
}
