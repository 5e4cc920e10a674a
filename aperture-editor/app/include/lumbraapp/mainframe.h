// The editor's main window: commands and their enabling, menus, accelerators, the toolbars, the status
// panes, the coordinate and property bars, and the view's frame services (prompt, coordinates, dialogs).
#pragma once

#include "lumbra/cairo_canvas.h"
#include "lumbra/view.h"
#include "lumbraapp/dialogs.h"
#include "lumbraapp/settings.h"

#include "platform/mainwindow.h"

#include <memory>
#include <string>

namespace lumbra {

class CLumbraApp;

class CMainFrame : public CFrameWnd, public ViewFrame {
  public:
    CMainFrame(CLumbraApp& app, LumbraSettings& settings);
    ~CMainFrame() override;

    // Restores the placement, creates the bars in order and restores their state.
    void OnCreate();
    // Joins the view: its properties from the frame's, its input from the canvas.
    void attachView(CLumbraView* view);

    // Frame state (the property bar and the unit).
    const std::string& widthText() const { return settings_.width; }
    bool metric() const { return settings_.metric != 0; }
    int polarity() const { return settings_.polarity; }
    int tool() const { return settings_.tool; }
    bool pointEntryEnabled() const { return pointEntry_; }
    Point relativeOffset() const { return relativeOffset_; }

    void toggleMetric();
    // The coordinate dialog; on OK the keyed point goes to the view's command as a click.
    void coordinateDialog(CAbsCoordDialog::Mode mode);
    void refreshPanes();
    // "%s - Lumbra" of the document's title.
    void updateFrameTitle(const std::string& documentTitle);

    CairoCanvas* image() const { return image_.get(); }

    // --- ViewFrame
    void statusPrompt(const std::string& text) override;
    void coordinates(const std::string& x, const std::string& y) override;
    void selectionCount(int absolute) override;
    void pointEntry(bool enabled) override;
    bool viewHasFocus() override { return canvas().hasFocus; }
    void coordinateDialog() override { coordinateDialog(CAbsCoordDialog::Mode::Absolute); }
    void gridDialog() override;
    void documentChanged() override { refreshPanes(); }

    // --- CFrameWnd
    bool OnIdle(long count) override;
    void OnClose() override;

  protected:
    void OnDestroy() override;

  private:
    void buildCommands();
    void buildMenu();
    void setPane(int index, const std::string& text);
    void changeDrillTools();
    EditVerdict widthEdited(const CString& text);
    EditVerdict toolEdited(const CString& text);
    void resizeImage(int w, int h);
    void showRecentFiles();
    void showScrollBars();

    CLumbraApp& app_;
    LumbraSettings& settings_;
    CLumbraView* view_ = nullptr;
    std::unique_ptr<CairoCanvas> image_;
    bool pointEntry_ = false;
    Point relativeOffset_;
};

} // namespace lumbra
