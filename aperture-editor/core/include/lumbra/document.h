// The document: owns the one aperture being edited, opens and saves its file.
#pragma once

#include "lumbra/aperture.h"
#include "lumbra/aperture_file.h"
#include "lumbra/messages.h"

#include <string>
#include <vector>

namespace lumbra {

// Hint of a document update that brings a new or opened aperture: the views fit it.
inline constexpr int kHintNewAperture = 1;

class DocumentObserver {
  public:
    virtual ~DocumentObserver() = default;
    virtual void onDocumentUpdate(int hint) = 0;
};

class CLumbraDoc {
  public:
    explicit CLumbraDoc(EditorMessages& messages, ApertureChooser* chooser = nullptr)
        : messages_(&messages), chooser_(chooser) {}

    ApertureRecord& aperture() { return aperture_; }
    const ApertureRecord& aperture() const { return aperture_; }

    bool OnNewDocument();
    bool OnOpenDocument(const std::string& path);
    // Atomic: the file is written aside and renamed over the old one.
    bool OnSaveDocument(const std::string& path);
    // The text a save stores (sizes recomputed first).
    std::string Serialize() { return writeApertureText(aperture_); }
    // The old aperture stays until a new one has been read.
    void DeleteContents() {}

    bool IsModified() const { return aperture_.modified(); }
    void SetModifiedFlag(bool m) { aperture_.setModified(m); }

    void addView(DocumentObserver* v) { views_.push_back(v); }
    void removeView(DocumentObserver* v) { std::erase(views_, v); }
    void UpdateAllViews(int hint);

    void setChooser(ApertureChooser* c) { chooser_ = c; }
    EditorMessages& messages() { return *messages_; }
    // The apertures found by the last open's scan.
    const std::vector<ApertureCatalogEntry>& catalog() const { return catalog_; }
    // How many apertures that file holds (more than the catalogue when it is cut at its limit).
    long aperturesInFile() const { return aperturesInFile_; }
    // Why the last open or save failed (empty when nothing was wrong with the file, e.g. no header).
    const std::string& lastError() const { return lastError_; }

  private:
    bool fail(const std::string& message);

    ApertureRecord aperture_;
    EditorMessages* messages_;
    ApertureChooser* chooser_;
    std::vector<DocumentObserver*> views_;
    std::vector<ApertureCatalogEntry> catalog_;
    long aperturesInFile_ = 0;
    std::string lastError_;
};

} // namespace lumbra
