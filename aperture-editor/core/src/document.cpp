#include "lumbra/document.h"

#include "platform/atomic_file.h"
#include "platform/format.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace lumbra {

bool CLumbraDoc::OnNewDocument() {
    aperture_.reset("untitled", 0.1, 0.1);
    aperture_.setModified(false);
    catalog_.clear();
    UpdateAllViews(kHintNewAperture);
    return true;
}

void CLumbraDoc::UpdateAllViews(int hint) {
    for (DocumentObserver* v : views_)
        v->onDocumentUpdate(hint);
}

bool CLumbraDoc::fail(const std::string& message) {
    lastError_ = message;
    messages_->showMessage(message);
    return false;
}

bool CLumbraDoc::OnOpenDocument(const std::string& path) {
    lastError_.clear();
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!f) return fail(korvane::format("Cannot open %s: %s", path.c_str(), std::strerror(errno)));
    // One pass checks the whole file and keeps the first aperture, the one nearly every file holds.
    LoadedAperture loaded;
    ScanResult scan = readApertureFile(f.get(), loaded);
    catalog_ = scan.catalog;
    aperturesInFile_ = scan.aperturesInFile;
    if (!scan.ok()) return fail(korvane::format("%s: %s", path.c_str(), scan.error.c_str()));
    // No header or no aperture: nothing opens, and nothing needs saying.
    if (catalog_.empty()) return false;
    if (scan.aperturesInFile > kCatalogRows)
        messages_->showMessage(korvane::format("%s holds %ld apertures; only the first %d can be chosen.",
                                               path.c_str(), scan.aperturesInFile, kCatalogRows));
    long k = 1;
    if (catalog_.size() > 1) {
        int row = chooser_ ? chooser_->choose(catalog_) : -1;
        if (row < 0 || row >= static_cast<int>(catalog_.size())) return false;
        k = row + 1;
    }
    if (k != 1) {
        loaded = LoadedAperture{};
        std::string error;
        if (!loadListedAperture(f.get(), scan, k, loaded, error)) {
            if (!error.empty()) return fail(korvane::format("%s: %s", path.c_str(), error.c_str()));
            return false;
        }
    }
    aperture_.adopt(loaded.name, loaded.xSize, loaded.ySize, std::move(loaded.primitives));
    UpdateAllViews(kHintNewAperture);
    aperture_.setModified(false);
    return true;
}

bool CLumbraDoc::OnSaveDocument(const std::string& path) {
    lastError_.clear();
    aperture_.computeSize();
    // A head line the reader could not take back would turn a save into a file that no longer opens.
    if (apertureHeadLine(aperture_).size() > kMaxLineLength)
        return fail(
            korvane::format("the aperture name is too long to be saved: the line that holds it and the "
                            "sizes may have at most %zu characters",
                            kMaxLineLength));
    if (std::string why = nameUnfitForSaving(aperture_.name()); !why.empty()) return fail(why);
    // Streamed: the text is never held whole; nothing replaces the file until every piece is written.
    korvane::AtomicFile file;
    if (!file.open(path)) return fail(file.error());
    bool written = writeAperture(
        aperture_, [&file](std::string_view piece) { return file.write(piece); }, true);
    if (!written || !file.commit()) return fail(file.error());
    aperture_.setModified(false);
    return true;
}

} // namespace lumbra
