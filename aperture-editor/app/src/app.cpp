#include "lumbraapp/app.h"

#include "lumbraapp/resource.h"
#include "lumbraapp/resources.h"

#include "platform/format.h"
#include "platform/presenter.h"

#include <algorithm>
#include <filesystem>

namespace lumbra {

CLumbraApp::CLumbraApp(HostLink* link) : CWinApp("Lumbra"), link_(link) {
    m_hInstance = &lumbraResources();
}

CLumbraApp::~CLumbraApp() {
    // The view leaves the document's list of views before the document goes.
    view_.reset();
    frame_.reset();
    doc_.reset();
}

int CLumbraApp::InitInstance() {
    // A host that does not answer simply means an ordinary run.
    linkMode_ = link_ && link_->connect(kHostService, kHostTopic);
    settings_ = loadSettings();
    if (linkMode_) settings_.recentFiles.clear();

    doc_ = std::make_unique<CLumbraDoc>(messages_, &chooser_);
    frame_ = std::make_unique<CMainFrame>(*this, settings_);
    frame_->OnCreate();
    view_ = std::make_unique<CLumbraView>(*doc_, frame_.get());
    frame_->attachView(view_.get());

    bool opened = false;
    if (fileToOpen) {
        opened = OpenDocumentFile(*fileToOpen);
    } else {
        opened = doc_->OnNewDocument();
        path_.clear();
        frame_->updateFrameTitle(documentTitle());
    }
    if (!opened) return 0;
    frame_->canvas().resize(initialWidth, initialHeight);
    frame_->refreshPanes();
    return 1;
}

int CLumbraApp::Run() {
    return frame_->run();
}

int CLumbraApp::ExitInstance() {
    if (linkMode_)
        endLink(); // without a quit of its own: the run is ending anyway
    else
        saveRecentFiles(settings_.recentFiles);
    return 0;
}

bool CLumbraApp::OnIdle(long) {
    if (linkMode_ && !linkEnding_ && link_->hostGone()) {
        endLink();
        frame_->PostQuitMessage(1);
    }
    const std::string& name = doc_->aperture().name();
    std::string title = frame_->GetWindowText().str();
    if (!name.empty() && (title.empty() || title.back() != ')'))
        frame_->SetWindowText(korvane::format("%s - (%s)", title.c_str(), name.c_str()).c_str());
    return false;
}

std::string CLumbraApp::documentTitle() const {
    if (path_.empty()) return AfxLoadString(&lumbraResources(), IDS_UNTITLED).str();
    return std::filesystem::path(path_).filename().string();
}

// ---------------------------------------------------------------- files

bool CLumbraApp::SaveModified() {
    if (!doc_->IsModified()) return true;
    std::string question = korvane::format(AfxLoadString(&lumbraResources(), IDS_SAVE_CHANGES).GetString(),
                                           documentTitle().c_str());
    if (ShowMessageBox(question.c_str(), "Lumbra", MB_YESNO | MB_ICONQUESTION) != IDYES) return true;
    return OnFileSave();
}

bool CLumbraApp::OpenDocumentFile(const std::string& path) {
    chooser_.file = path;
    if (!doc_->OnOpenDocument(path)) {
        // A recent file that is gone leaves the list.
        if (!std::filesystem::exists(path)) std::erase(settings_.recentFiles, path);
        return false;
    }
    path_ = path;
    frame_->updateFrameTitle(documentTitle());
    addRecent(path);
    frame_->refreshPanes();
    return true;
}

void CLumbraApp::OnFileNew() {
    if (linkMode_ || !SaveModified()) return;
    if (!doc_->OnNewDocument()) return;
    path_.clear();
    frame_->updateFrameTitle(documentTitle());
    frame_->refreshPanes();
}

void CLumbraApp::OnFileOpen() {
    if (linkMode_ || !SaveModified()) return;
    CFileDialog d(true, nullptr, nullptr, 0, "All Files (*.*)|*.*||");
    if (d.DoModal() != IDOK) return;
    OpenDocumentFile(d.GetPathName().str());
}

void CLumbraApp::OnOpenRecentFile(int index) {
    if (linkMode_ || index < 0 || index >= static_cast<int>(settings_.recentFiles.size())) return;
    std::string path = settings_.recentFiles[static_cast<size_t>(index)];
    if (!SaveModified()) return;
    OpenDocumentFile(path);
}

bool CLumbraApp::OnFileSave() {
    if (path_.empty()) {
        // Save As is not offered in link mode, but a first save still needs a name.
        CFileDialog d(false, nullptr, documentTitle().c_str(), 0, "All Files (*.*)|*.*||");
        if (d.DoModal() != IDOK) return false;
        return saveTo(d.GetPathName().str());
    }
    return saveTo(path_);
}

bool CLumbraApp::OnFileSaveAs() {
    if (linkMode_) return false;
    CFileDialog d(false, nullptr, documentTitle().c_str(), 0, "All Files (*.*)|*.*||");
    if (d.DoModal() != IDOK) return false;
    return saveTo(d.GetPathName().str());
}

bool CLumbraApp::saveTo(const std::string& path) {
    if (!doc_->OnSaveDocument(path)) return false;
    bool renamed = path != path_;
    path_ = path;
    if (renamed) frame_->updateFrameTitle(documentTitle());
    if (linkMode_) {
        linkedSaveDone();
        return true;
    }
    addRecent(path);
    frame_->refreshPanes();
    return true;
}

void CLumbraApp::linkedSaveDone() {
    // The host learns of the save; whether the poke arrives or not, the editor's work is done.
    link_->poke(kHostItem, "AOK", kPokeTimeoutMs);
    saveFrameSettings(settings_);
    endLink();
    frame_->PostQuitMessage(1);
}

void CLumbraApp::endLink() {
    if (!linkMode_ || linkEnding_) return;
    linkEnding_ = true;
    link_->disconnect();
}

void CLumbraApp::addRecent(const std::string& path) {
    if (linkMode_) return;
    std::error_code ec;
    std::string full = std::filesystem::absolute(path, ec).lexically_normal().string();
    if (ec) full = path;
    std::erase(settings_.recentFiles, full);
    settings_.recentFiles.insert(settings_.recentFiles.begin(), full);
    if (settings_.recentFiles.size() > static_cast<size_t>(kRecentFiles))
        settings_.recentFiles.resize(kRecentFiles);
}

} // namespace lumbra
