#include "wxtesting/screenshot.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/toplevel.h>
#include <wx/utils.h>

#include <gtk/gtk.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace wxtesting {

namespace {

// Room a text field keeps around its text (frame and inner padding of the toolkit's theme), in pixels;
// measured on the screenshots: a value 81 px wide is cut off in a field of 94.
constexpr int kFieldPadding = 18;

// The width a control needs for its caption: a button only its text (its frame may touch the text),
// a label its text, a radio button or check box the text and the indicator.
int neededWidth(wxWindow* w, const wxString& label) {
    if (dynamic_cast<wxButton*>(w)) return w->GetTextExtent(label).x;
    return w->GetBestSize().x;
}

void collectClipped(wxWindow* w, std::vector<std::string>& out) {
    for (wxWindow* child : w->GetChildren()) {
        if (!child->IsShownOnScreen()) continue;
        const int id = child->GetId();
        if (auto* text = dynamic_cast<wxTextCtrl*>(child); text && !text->IsMultiLine()) {
            const int needed = text->GetTextExtent(text->GetValue()).x + kFieldPadding;
            if (needed > text->GetSize().x)
                out.push_back("value \"" + text->GetValue().utf8_string() + "\": " + std::to_string(needed) +
                              " px in " + std::to_string(text->GetSize().x));
        } else if (dynamic_cast<wxStaticText*>(child) || dynamic_cast<wxButton*>(child) ||
                   dynamic_cast<wxRadioButton*>(child) || dynamic_cast<wxCheckBox*>(child)) {
            const wxString label = wxControl::RemoveMnemonics(child->GetLabel());
            const int needed = neededWidth(child, label);
            if (!label.empty() && !label.Contains('\n') && needed > child->GetSize().x)
                out.push_back("label \"" + label.utf8_string() + "\" of control " + std::to_string(id) +
                              ": " + std::to_string(needed) + " px in " + std::to_string(child->GetSize().x));
        }
        collectClipped(child, out);
    }
}

} // namespace

std::vector<std::string> clippedTexts(wxWindow* root) {
    std::vector<std::string> out;
    if (root) collectClipped(root, out);
    return out;
}

wxImage capture(wxWindow* window) {
    for (int i = 0; i < 10; ++i) {
        if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) loop->YieldFor(wxEVT_CATEGORY_ALL);
        wxMilliSleep(5);
    }
    auto* widget = static_cast<GtkWidget*>(window->GetHandle());
    if (!widget) return wxImage();
    GtkWidget* top = gtk_widget_get_toplevel(widget);
    // A window shown a moment ago may not have been given its size yet: have it done now.
    if (top && GTK_IS_CONTAINER(top)) gtk_container_check_resize(GTK_CONTAINER(top));
    // A top-level window is drawn as what it holds (its own widget would add the decorations).
    if (GTK_IS_WINDOW(widget) && gtk_bin_get_child(GTK_BIN(widget)))
        widget = gtk_bin_get_child(GTK_BIN(widget));
    const int width = std::max(gtk_widget_get_allocated_width(widget), 1);
    const int height = std::max(gtk_widget_get_allocated_height(widget), 1);
    wxImage image(width, height);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
    cairo_t* cr = cairo_create(surface);
    // The window's background under everything, as on the screen: a window that draws nothing of its own
    // comes out of one colour and is refused by saveScreenshot.
    if (top) gtk_render_background(gtk_widget_get_style_context(top), cr, 0, 0, width, height);
    gtk_widget_draw(widget, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < image.GetHeight(); ++y)
        for (int x = 0; x < image.GetWidth(); ++x) {
            std::uint32_t px;
            std::memcpy(
                &px, data + static_cast<size_t>(y) * static_cast<size_t>(stride) + static_cast<size_t>(x) * 4,
                4);
            image.SetRGB(x, y, (px >> 16) & 0xFF, (px >> 8) & 0xFF, px & 0xFF);
        }
    cairo_surface_destroy(surface);
    return image;
}

int distinctColours(const wxImage& image, int limit) {
    if (!image.IsOk()) return 0;
    std::unordered_set<std::uint32_t> seen;
    const unsigned char* rgb = image.GetData();
    const size_t pixels = static_cast<size_t>(image.GetWidth()) * static_cast<size_t>(image.GetHeight());
    for (size_t i = 0; i < pixels && static_cast<int>(seen.size()) < limit; ++i)
        seen.insert(static_cast<std::uint32_t>(rgb[3 * i]) << 16 |
                    static_cast<std::uint32_t>(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2]);
    return static_cast<int>(seen.size());
}

std::string artefactPath(const std::string& name) {
    const char* dir = std::getenv("KORVANE_ARTIFACTS");
    const std::string folder = dir && *dir ? dir : ".";
    wxFileName::Mkdir(wxString::FromUTF8(folder.c_str()), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
    return folder + "/" + name;
}

testing::AssertionResult saveScreenshot(const wxImage& image, const std::string& name) {
    const std::string path = artefactPath(name);
    if (!image.IsOk() || image.GetWidth() < 2 || image.GetHeight() < 2)
        return testing::AssertionFailure() << path << ": the screenshot is empty";
    const bool saved = image.SaveFile(wxString::FromUTF8(path.c_str()), wxBITMAP_TYPE_PNG);
    if (distinctColours(image) < 2)
        return testing::AssertionFailure() << path << ": the screenshot is of one colour, nothing was drawn";
    if (!saved) return testing::AssertionFailure() << path << ": the screenshot cannot be written";
    return testing::AssertionSuccess();
}

} // namespace wxtesting
