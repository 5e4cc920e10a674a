// The one place where the presenter reaches into GTK: the compact style of our own windows.
#include "wxpresenter/wxpresenter.h"

#include <wx/window.h>

#include <gtk/gtk.h>

namespace korvane::wx {

const char* const kCompactStyleClass = "korvane-compact";

void useCompactStyle() {
    // Dialog-unit layouts give edits, buttons and combo boxes about 12 to 14 units of height; the
    // default theme's padding would clip their text. Only windows marked with the class are affected,
    // and at the application's priority: a user's own gtk.css still wins.
    static GdkScreen* installedOn = nullptr;
    GdkScreen* screen = gdk_screen_get_default();
    if (!screen || screen == installedOn) return;
    static const char css[] = ".korvane-compact entry { min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
                              ".korvane-compact button { min-height: 0; min-width: 0; padding: 0 4px; }\n"
                              ".korvane-compact combobox button { padding-top: 0; padding-bottom: 0; }\n"
                              ".korvane-compact checkbutton, .korvane-compact radiobutton "
                              "{ min-height: 0; padding-top: 0; padding-bottom: 0; }\n"
                              ".korvane-compact notebook tab { min-height: 0; padding: 2px 8px; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    GError* error = nullptr;
    if (gtk_css_provider_load_from_data(provider, css, -1, &error)) {
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(provider),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
        installedOn = screen;
    } else {
        g_clear_error(&error);
    }
    g_object_unref(provider);
}

void markCompact(wxWindow* window) {
    if (auto* widget = static_cast<GtkWidget*>(window->GetHandle()))
        gtk_style_context_add_class(gtk_widget_get_style_context(widget), kCompactStyleClass);
}

} // namespace korvane::wx
