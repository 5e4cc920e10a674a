#include "lumbraapp/dialogs.h"

#include "lumbra/document.h"
#include "lumbra/units.h"
#include "lumbra/view.h"
#include "lumbraapp/resource.h"
#include "lumbraapp/resources.h"

#include "platform/format.h"

#include <cairo.h>

#include <algorithm>
#include <cstdio>

namespace lumbra {

namespace {

// Leaving a number field shows its value again as "%.5lf"; text that is no number stays for OK to refuse.
void reformatOnLeave(CWnd* edit) {
    if (!edit) return;
    edit->setCommitHook([edit](const CString& text) {
        double v = 0;
        if (parseNumberText(text, v)) edit->SetWindowText(korvane::format("%.5lf", v).c_str());
        return EditVerdict{};
    });
}

std::int32_t clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
}

} // namespace

Point addClamped(Point a, Point b) {
    return Point{clamp32(std::int64_t(a.x) + b.x), clamp32(std::int64_t(a.y) + b.y)};
}

// ---------------------------------------------------------------- typed coordinates

CAbsCoordDialog::CAbsCoordDialog(Mode mode, bool metric, Point start)
    : CDialog(IDD_ABSCOORD), mode_(mode), metric_(metric), x_(toLength(start.x, metric)),
      y_(toLength(start.y, metric)) {
    lumbraResources();
}

BOOL CAbsCoordDialog::OnInitDialog() {
    SetWindowText(mode_ == Mode::Absolute ? "Absolute Coordinates" : "Relative Coordinates");
    CDialog::OnInitDialog();
    reformatOnLeave(GetDlgItem(IDC_X));
    reformatOnLeave(GetDlgItem(IDC_Y));
    if (CWnd* x = GetDlgItem(IDC_X)) x->SetFocus();
    return 0;
}

void CAbsCoordDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_X, x_, "%.5lf");
    DDX_Text(pDX, IDC_Y, y_, "%.5lf");
}

void CAbsCoordDialog::OnOK() {
    if (!UpdateData(true)) return;
    result = Point{toUnits(x_, metric_), toUnits(y_, metric_)};
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- grid

CGridPropDialog::CGridPropDialog(bool s, bool d, std::int32_t g, bool metric)
    : CDialog(IDD_GRIDPROP), snap(s), display(d), size(g), metric_(metric) {
    lumbraResources();
}

BOOL CGridPropDialog::OnInitDialog() {
    snapCheck_ = snap ? BST_CHECKED : BST_UNCHECKED;
    displayCheck_ = display ? BST_CHECKED : BST_UNCHECKED;
    sizeText_ = toLength(size, metric_);
    CDialog::OnInitDialog();
    reformatOnLeave(GetDlgItem(IDC_GRID_SIZE));
    return 1;
}

void CGridPropDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Check(pDX, IDC_SNAP, snapCheck_);
    DDX_Check(pDX, IDC_GRID_DISPLAY, displayCheck_);
    DDX_Text(pDX, IDC_GRID_SIZE, sizeText_, "%.5lf");
}

void CGridPropDialog::OnOK() {
    if (!UpdateData(true)) return;
    snap = snapCheck_ != 0;
    display = displayCheck_ != 0;
    size = toUnits(sizeText_, metric_);
    EndDialog(IDOK);
}

// ---------------------------------------------------------------- change drill tools

namespace {
struct Remembered {
    int from = 0, to = 0;
    double size = 0.0;
};
Remembered remembered;
} // namespace

void CChangeDrillToolsDialog::resetRemembered() {
    remembered = Remembered{};
}

CChangeDrillToolsDialog::CChangeDrillToolsDialog(const ApertureRecord& aperture, bool metric)
    : CDialog(IDD_CHANGETOOLS), aperture_(aperture), metric_(metric), from_(remembered.from),
      to_(remembered.to), size_(remembered.size) {
    lumbraResources();
    OnEditChange(IDC_TO_TOOL, [this] { toToolChanged(); });
}

BOOL CChangeDrillToolsDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    reformatOnLeave(GetDlgItem(IDC_TOOL_SIZE));
    return 1;
}

void CChangeDrillToolsDialog::DoDataExchange(CDataExchange* pDX) {
    DDX_Text(pDX, IDC_FROM_TOOL, from_);
    DDV_MinMaxInt(pDX, from_, 0, 9999);
    DDX_Text(pDX, IDC_TO_TOOL, to_);
    DDV_MinMaxInt(pDX, to_, 0, 9999);
    DDX_Text(pDX, IDC_TOOL_SIZE, size_, "%.5lf");
    DDV_MinMaxDouble(pDX, size_, 0.0, 9.99999);
}

void CChangeDrillToolsDialog::toToolChanged() {
    // Read quietly: half-typed text is no reason for a message on every key.
    int to = 0;
    if (!parseIntText(GetDlgItemText(IDC_TO_TOOL), to) || to < 1 || to > 9999) return;
    std::int32_t size = aperture_.sizeOfTool(to);
    if (size > 0) SetDlgItemText(IDC_TOOL_SIZE, korvane::format("%.5lf", toLength(size, metric_)).c_str());
}

void CChangeDrillToolsDialog::OnOK() {
    if (!UpdateData(true)) return;
    remembered = Remembered{from_, to_, size_};
    EndDialog(IDOK);
}

std::int32_t CChangeDrillToolsDialog::sizeUnits() const {
    return toUnits(size_, metric_);
}

// ---------------------------------------------------------------- the aperture chooser

COpenCustomApDialog::COpenCustomApDialog(const std::vector<ApertureCatalogEntry>& catalog, Loader loader)
    : CDialog(IDD_OPENCUSTOMAP), catalog_(catalog), loader_(std::move(loader)) {
    lumbraResources();
    OnDoubleClick(IDC_APLIST, [this] { OnOK(); });
    OnSelChange(IDC_APLIST, [this] { showPreview(); });
}

COpenCustomApDialog::~COpenCustomApDialog() {
    // The preview control may outlive this member when the dialog was created without running it.
    if (CWnd* p = GetDlgItem(IDC_PREVIEW)) p->setExtension(nullptr);
}

void COpenCustomApDialog::showPreview() {
    preview_.image = std::make_unique<CairoCanvas>(kPreviewWidth, kPreviewHeight);
    preview_.image->fillRect(0, 0, kPreviewWidth, kPreviewHeight, kBlack);
    CWnd* list = GetDlgItem(IDC_APLIST);
    LoadedAperture loaded;
    if (!list || list->GetCurSel() < 0 || !loader_ || !loader_(list->GetCurSel(), loaded)) return;
    // The editor's own view draws it, fitted to the box as a newly opened aperture is.
    SilentMessages quiet;
    CLumbraDoc doc(quiet);
    doc.aperture().reset(loaded.name, loaded.xSize, loaded.ySize);
    for (auto& p : loaded.primitives)
        doc.aperture().append(std::move(p));
    CLumbraView view(doc);
    view.attachCanvas(preview_.image.get());
    doc.UpdateAllViews(kHintNewAperture);
    view.paint();
}

BOOL COpenCustomApDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    CWnd* list = GetDlgItem(IDC_APLIST);
    if (!list) return 1;
    int nameWidth = MeasureText(CString("Custom Name"));
    for (const ApertureCatalogEntry& e : catalog_)
        nameWidth = std::max(nameWidth, MeasureText(CString(e.name)));
    int numberWidth = MeasureText(CString("000.0000"));
    // A list draws its cells with a margin on either side: the columns hold it too, so that the widest
    // name and the numbers show whole.
    const int margin = 2 * AverageCharWidth();
    nameWidth += margin;
    numberWidth += margin;
    list->InsertColumn(0, "Custom Name", nameWidth);
    list->InsertColumn(1, "X-Size", numberWidth);
    list->InsertColumn(2, "Y-Size", numberWidth);
    for (size_t i = 0; i < catalog_.size(); ++i) {
        int row = list->InsertItem(static_cast<int>(i), catalog_[i].name.c_str());
        list->SetItemText(row, 1, korvane::format("%.5lf", catalog_[i].xSize).c_str());
        list->SetItemText(row, 2, korvane::format("%.5lf", catalog_[i].ySize).c_str());
    }
    list->SetCurSel(0);
    list->SetFocus();
    if (CWnd* p = GetDlgItem(IDC_PREVIEW)) p->setExtension(&preview_);
    showPreview();
    return 0;
}

void COpenCustomApDialog::OnOK() {
    CWnd* list = GetDlgItem(IDC_APLIST);
    selected = list ? list->GetCurSel() : -1;
    EndDialog(selected >= 0 ? IDOK : IDCANCEL);
}

CanvasImage PreviewImage::picture() const {
    if (!image) return {};
    cairo_surface_t* s = image->surface();
    cairo_surface_flush(s);
    return CanvasImage{reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(s)),
                       image->width(), image->height(), cairo_image_surface_get_stride(s) / 4};
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {
    lumbraResources();
}

CAboutDlg::~CAboutDlg() {
    if (CWnd* i = GetDlgItem(IDC_ICON)) i->setExtension(nullptr);
}

BOOL CAboutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    // A positive pad with a drill hole on the editor's black ground.
    constexpr int kSize = 32;
    icon_.image = std::make_unique<CairoCanvas>(kSize, kSize);
    CairoCanvas& c = *icon_.image;
    c.fillRect(0, 0, kSize, kSize, kBlack);
    c.setPen(Rgb{0, 0, 255}, 1, PenStyle::Solid);
    c.setSolidBrush(Rgb{0, 0, 255});
    c.ellipse(4, 4, kSize - 4, kSize - 4);
    c.setPen(kWhite, 1, PenStyle::Solid);
    c.setSolidBrush(kBlack);
    c.ellipse(12, 12, kSize - 12, kSize - 12);
    if (CWnd* i = GetDlgItem(IDC_ICON)) i->setExtension(&icon_);
    return 1;
}

int DialogChooser::choose(const std::vector<ApertureCatalogEntry>& catalog) {
    std::string path = file;
    COpenCustomApDialog d(catalog, [path](int row, LoadedAperture& out) {
        std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), &std::fclose);
        std::string error;
        return f && loadApertureFromFile(f.get(), row + 1, out, error);
    });
    return d.DoModal() == IDOK ? d.selected : -1;
}

} // namespace lumbra
