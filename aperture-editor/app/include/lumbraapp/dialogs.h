// The editor's dialogs: typed coordinates, grid, change of drill tools, the aperture chooser, about.
#pragma once

#include "lumbra/aperture.h"
#include "lumbra/aperture_file.h"
#include "lumbra/cairo_canvas.h"
#include "lumbra/messages.h"

#include "platform/window.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace lumbra {

// X and Y in the display unit. Absolute mode starts from the keyed point, relative mode from the last
// offset; `result` is the entered point (or offset) in units after OK.
class CAbsCoordDialog : public CDialog {
  public:
    enum class Mode { Absolute, Relative };
    CAbsCoordDialog(Mode mode, bool metric, Point start);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    Point result;

  private:
    Mode mode_;
    bool metric_;
    double x_, y_;
};

class CGridPropDialog : public CDialog {
  public:
    CGridPropDialog(bool snap, bool display, std::int32_t size, bool metric);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    bool snap, display;
    std::int32_t size; // units

  private:
    bool metric_;
    int snapCheck_ = 0, displayCheck_ = 0;
    double sizeText_ = 0;
};

// From tool, to tool and size; typing a to-tool that the aperture already uses fills in its size.
class CChangeDrillToolsDialog : public CDialog {
  public:
    CChangeDrillToolsDialog(const ApertureRecord& aperture, bool metric);
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    int fromTool() const { return from_; }
    int toTool() const { return to_; }
    std::int32_t sizeUnits() const; // the size in units

    // What the last accepted dialog of this run held (the next one starts from it).
    static void resetRemembered();

  private:
    void toToolChanged();
    const ApertureRecord& aperture_;
    bool metric_;
    int from_ = 0, to_ = 0;
    double size_ = 0;
};

// The picture of the selected aperture beside the chooser's list, attached to its preview control so
// that a presenter can show it.
class PreviewImage : public PictureExtension {
  public:
    void controlDestroyed(CWnd*) override {}
    CanvasImage picture() const override;
    std::unique_ptr<CairoCanvas> image;
};

// The apertures of a file: name, X and Y size in inches; the first row selected; a double-click is OK.
// With a loader, the preview shows the selected aperture scaled to fit.
class COpenCustomApDialog : public CDialog {
  public:
    using Loader = std::function<bool(int row, LoadedAperture& out)>;
    static constexpr int kPreviewWidth = 160, kPreviewHeight = 150;

    explicit COpenCustomApDialog(const std::vector<ApertureCatalogEntry>& catalog, Loader loader = {});
    ~COpenCustomApDialog() override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    int selected = -1; // 0-based row after OK
    const CairoCanvas* preview() const { return preview_.image.get(); }

  private:
    void showPreview();
    const std::vector<ApertureCatalogEntry>& catalog_;
    Loader loader_;
    PreviewImage preview_;
};

class CAboutDlg : public CDialog {
  public:
    CAboutDlg();
    ~CAboutDlg() override;
    BOOL OnInitDialog() override;

  private:
    PreviewImage icon_; // the program's icon: an aperture drawn as the view draws one
};

// The chooser the document asks when a file holds several apertures.
class DialogChooser : public ApertureChooser {
  public:
    int choose(const std::vector<ApertureCatalogEntry>& catalog) override;
    // The file being opened, from which the preview loads the selected aperture.
    std::string file;
};

// Adds a typed offset to a point, staying inside the 32-bit range of aperture units.
Point addClamped(Point a, Point b);

} // namespace lumbra
