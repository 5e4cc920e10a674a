// The compact style: our dialogs' fields are compact; other windows, and a user's own GTK style, are
// left alone.
#include "wxtesting/screenshot.h"

#include <gtest/gtest.h>

#include <wx/dialog.h>
#include <wx/textctrl.h>

#include <gtk/gtk.h>

namespace {

using korvane::wx::markCompact;

int fieldHeight(bool compact) {
    auto* dialog = new wxDialog(nullptr, wxID_ANY, "Style");
    if (compact) markCompact(dialog);
    auto* field = new wxTextCtrl(dialog, wxID_ANY, "12.5");
    // What GTK asks for the field, as the theme and every style provider make it.
    int h = 0;
    gtk_widget_get_preferred_height(static_cast<GtkWidget*>(field->GetHandle()), &h, nullptr);
    dialog->Destroy();
    return h;
}

TEST(CompactStyle, OnlyMarkedWindowsAreCompact) {
    const int theme = fieldHeight(false);
    const int compact = fieldHeight(true);
    EXPECT_LT(compact, theme) << "a marked dialog's field loses the theme's padding";
    EXPECT_GT(compact, 0);
}

TEST(CompactStyle, AUsersOwnStyleStillWins) {
    // As a user's gtk.css is loaded: at the user's priority, for every field.
    GtkCssProvider* user = gtk_css_provider_new();
    ASSERT_TRUE(gtk_css_provider_load_from_data(user, "entry { min-height: 44px; }", -1, nullptr));
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(user),
                                              GTK_STYLE_PROVIDER_PRIORITY_USER);
    const int compact = fieldHeight(true);
    const int plain = fieldHeight(false);
    gtk_style_context_remove_provider_for_screen(gdk_screen_get_default(), GTK_STYLE_PROVIDER(user));
    g_object_unref(user);
    EXPECT_GE(compact, 44) << plain;
}

} // namespace
