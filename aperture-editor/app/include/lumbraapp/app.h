// The editor as a single-document program: start-up, the file commands, the recent-file list, idle
// work, the link with the CAM host and the end of the run.
#pragma once

#include "lumbra/document.h"
#include "lumbra/platform_messages.h"
#include "lumbra/view.h"
#include "lumbraapp/dialogs.h"
#include "lumbraapp/hostlink.h"
#include "lumbraapp/mainframe.h"
#include "lumbraapp/settings.h"

#include "platform/resources.h"

#include <memory>
#include <optional>
#include <string>

namespace lumbra {

class CLumbraApp : public CWinApp {
  public:
    // `link` may be null (no host to ask); the application does not own it.
    explicit CLumbraApp(HostLink* link = nullptr);
    ~CLumbraApp() override;

    // The file named on the command line, if any.
    std::optional<std::string> fileToOpen;
    // The drawing area's size at start, in pixels.
    int initialWidth = 480, initialHeight = 360;

    // 0 when the program must end (the named file could not be opened).
    int InitInstance() override;
    // Runs the main window until it quits; the exit code.
    int Run();
    int ExitInstance() override;
    bool OnIdle(long count);

    bool linkMode() const { return linkMode_; }
    CLumbraDoc& document() { return *doc_; }
    CLumbraView& view() { return *view_; }
    CMainFrame& frame() { return *frame_; }
    const std::string& pathName() const { return path_; }
    const std::vector<std::string>& recentFiles() const { return settings_.recentFiles; }
    const LumbraSettings& settings() const { return settings_; }

    // --- the file commands
    void OnFileNew();
    void OnFileOpen();
    bool OnFileSave();
    bool OnFileSaveAs();
    void OnOpenRecentFile(int index);
    // Asks to save a modified aperture: true to go on (saved or declined), false to stay.
    bool SaveModified();
    bool OpenDocumentFile(const std::string& path);

  private:
    bool saveTo(const std::string& path);
    void linkedSaveDone();
    void endLink();
    void addRecent(const std::string& path);
    std::string documentTitle() const;

    HostLink* link_;
    bool linkMode_ = false;
    bool linkEnding_ = false;
    LumbraSettings settings_;
    PlatformMessages messages_;
    DialogChooser chooser_;
    std::unique_ptr<CLumbraDoc> doc_;
    std::unique_ptr<CMainFrame> frame_;
    std::unique_ptr<CLumbraView> view_;
    std::string path_;
};

} // namespace lumbra
