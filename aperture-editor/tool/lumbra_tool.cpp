// lumbra-tool: lists the apertures of a file, loads one and saves it as the editor does, or writes
// one as a Gerber file.
//   lumbra-tool catalog FILE
//   lumbra-tool convert FILE K OUT
//   lumbra-tool gerber FILE K OUT [inch|mm]
#include "gerber/gerber.h"
#include "lumbra/document.h"

#include "platform/format.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

class StderrMessages : public lumbra::EditorMessages {
  public:
    bool askYesNo(const std::string&, const std::string&) override { return false; }
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "lumbra-tool: %s\n", text.c_str());
    }
    void beep(lumbra::Beep) override {}
};

// Chooses aperture k as a user would in the chooser.
class FixedChoice : public lumbra::ApertureChooser {
  public:
    explicit FixedChoice(long k) : k_(k) {}
    int choose(const std::vector<lumbra::ApertureCatalogEntry>& catalog) override {
        return k_ >= 1 && k_ <= static_cast<long>(catalog.size()) ? static_cast<int>(k_ - 1) : -1;
    }

  private:
    long k_;
};

int usage() {
    std::fprintf(stderr, "usage: lumbra-tool catalog FILE\n"
                         "       lumbra-tool convert FILE K OUT\n"
                         "       lumbra-tool gerber FILE K OUT [inch|mm]\n");
    return 2;
}

int catalog(const char* path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path, "rb"), &std::fclose);
    if (!f) {
        std::fprintf(stderr, "lumbra-tool: cannot open %s: %s\n", path, std::strerror(errno));
        return 1;
    }
    lumbra::ScanResult r = lumbra::scanApertureFile(f.get());
    // A refused file lists nothing: a partial listing would pass for the whole of it.
    if (!r.ok()) {
        std::fprintf(stderr, "lumbra-tool: %s: %s\n", path, r.error.c_str());
        return 1;
    }
    if (r.catalog.empty()) {
        std::fprintf(stderr, "lumbra-tool: %s holds no aperture\n", path);
        return 1;
    }
    for (const auto& e : r.catalog)
        std::fputs(korvane::format("%s\t%.5lf\t%.5lf\n", e.name.c_str(), e.xSize, e.ySize).c_str(), stdout);
    if (r.aperturesInFile > lumbra::kCatalogRows)
        std::fprintf(stderr, "lumbra-tool: %s holds %ld apertures; only the first %d are listed\n", path,
                     r.aperturesInFile, lumbra::kCatalogRows);
    return 0;
}

// Opens aperture k (1-based) of the file into the document; false after saying why.
bool openAperture(const char* path, const char* kText, lumbra::CLumbraDoc& doc, FixedChoice& choice) {
    long k = 0;
    auto [p, ec] = std::from_chars(kText, kText + std::strlen(kText), k);
    if (ec != std::errc() || *p != '\0' || k < 1) {
        std::fprintf(stderr, "lumbra-tool: K must be a whole number from 1\n");
        return false;
    }
    choice = FixedChoice(k);
    doc.OnNewDocument();
    if (!doc.OnOpenDocument(path)) {
        if (doc.lastError().empty()) {
            const long listed = static_cast<long>(doc.catalog().size());
            if (listed == 0)
                std::fprintf(stderr, "lumbra-tool: %s holds no aperture\n", path);
            else if (k > listed && k <= doc.aperturesInFile())
                std::fprintf(stderr,
                             "lumbra-tool: %s: aperture %ld is beyond the first %ld, the only ones that "
                             "can be chosen\n",
                             path, k, listed);
            else
                std::fprintf(stderr, "lumbra-tool: %s holds no aperture %ld\n", path, k);
        }
        return false;
    }
    if (k != 1 && doc.catalog().size() == 1) {
        std::fprintf(stderr, "lumbra-tool: %s holds no aperture %ld\n", path, k);
        return false;
    }
    return true;
}

int convert(const char* path, const char* kText, const char* out) {
    StderrMessages messages;
    FixedChoice choice(0);
    lumbra::CLumbraDoc doc(messages, &choice);
    if (!openAperture(path, kText, doc, choice)) return 1;
    return doc.OnSaveDocument(out) ? 0 : 1;
}

int gerber(const char* path, const char* kText, const char* out, const char* unitText) {
    lumbra::GerberUnit unit = lumbra::GerberUnit::Inch;
    if (std::strcmp(unitText, "mm") == 0)
        unit = lumbra::GerberUnit::Millimetre;
    else if (std::strcmp(unitText, "inch") != 0) {
        std::fprintf(stderr, "lumbra-tool: the unit must be inch or mm\n");
        return 2;
    }
    StderrMessages messages;
    FixedChoice choice(0);
    lumbra::CLumbraDoc doc(messages, &choice);
    if (!openAperture(path, kText, doc, choice)) return 1;
    std::string error;
    if (!lumbra::writeGerberFile(doc.aperture(), unit, out, error)) {
        std::fprintf(stderr, "lumbra-tool: %s: %s\n", out, error.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "catalog") == 0) return catalog(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "convert") == 0) return convert(argv[2], argv[3], argv[4]);
    if ((argc == 5 || argc == 6) && std::strcmp(argv[1], "gerber") == 0)
        return gerber(argv[2], argv[3], argv[4], argc == 6 ? argv[5] : "inch");
    return usage();
}
