#include "lumbraapp/resources.h"

#include "lumbraapp/resource.h"

#include "platform/window.h"

namespace lumbra {

namespace {

ControlTemplate ctl(int id, ControlKind kind, const char* text, DlgRect r, std::uint32_t style = 0) {
    return ControlTemplate{id, kind, text, r, style};
}

ResourceModule build() {
    using K = ControlKind;
    ResourceModule m;
    m.name = "Lumbra";
    m.strings = {
        {IDS_APP_TITLE, "Lumbra"}, {IDS_SAVE_CHANGES, "Save changes to %s?"}, {IDS_UNTITLED, "Untitled"}};
    m.dialogs[IDD_ABOUTBOX] = DialogTemplate{IDD_ABOUTBOX,
                                             "About Lumbra",
                                             217,
                                             55,
                                             {ctl(IDC_ICON, K::Static, "", {11, 17, 20, 20}),
                                              ctl(-1, K::Static, "Lumbra Version 1.3", {40, 10, 119, 8}),
                                              ctl(-1, K::Static, "Tarnell Software", {40, 25, 119, 8}),
                                              ctl(IDOK, K::DefPushButton, "OK", {178, 7, 32, 14})}};
    m.dialogs[IDD_ABSCOORD] =
        DialogTemplate{IDD_ABSCOORD,
                       "Absolute Coordinates",
                       160,
                       62,
                       {ctl(-1, K::Static, "X:", {7, 9, 12, 8}), ctl(IDC_X, K::Edit, "", {22, 7, 70, 14}),
                        ctl(-1, K::Static, "Y:", {7, 29, 12, 8}), ctl(IDC_Y, K::Edit, "", {22, 27, 70, 14}),
                        ctl(IDOK, K::DefPushButton, "OK", {103, 7, 50, 14}),
                        ctl(IDCANCEL, K::PushButton, "Cancel", {103, 27, 50, 14})}};
    m.dialogs[IDD_GRIDPROP] = DialogTemplate{IDD_GRIDPROP,
                                             "Grid",
                                             160,
                                             70,
                                             {ctl(IDC_SNAP, K::CheckBox, "Snap", {7, 7, 80, 10}),
                                              ctl(IDC_GRID_DISPLAY, K::CheckBox, "Display", {7, 21, 80, 10}),
                                              ctl(-1, K::Static, "Size:", {7, 39, 24, 8}),
                                              ctl(IDC_GRID_SIZE, K::Edit, "", {34, 37, 60, 14}),
                                              ctl(IDOK, K::DefPushButton, "OK", {103, 7, 50, 14}),
                                              ctl(IDCANCEL, K::PushButton, "Cancel", {103, 27, 50, 14})}};
    m.dialogs[IDD_CHANGETOOLS] = DialogTemplate{
        IDD_CHANGETOOLS,
        "Change Drill Tools",
        180,
        70,
        {ctl(-1, K::Static, "From Tool:", {7, 9, 40, 8}), ctl(IDC_FROM_TOOL, K::Edit, "", {52, 7, 60, 14}),
         ctl(-1, K::Static, "To Tool:", {7, 29, 40, 8}), ctl(IDC_TO_TOOL, K::Edit, "", {52, 27, 60, 14}),
         ctl(-1, K::Static, "Size:", {7, 49, 40, 8}), ctl(IDC_TOOL_SIZE, K::Edit, "", {52, 47, 60, 14}),
         ctl(IDOK, K::DefPushButton, "OK", {123, 7, 50, 14}),
         ctl(IDCANCEL, K::PushButton, "Cancel", {123, 27, 50, 14})}};
    m.dialogs[IDD_OPENCUSTOMAP] =
        DialogTemplate{IDD_OPENCUSTOMAP,
                       "Open Custom Aperture",
                       300,
                       150,
                       {ctl(IDC_APLIST, K::ListControl, "", {7, 7, 170, 136}),
                        ctl(IDC_PREVIEW, K::Static, "", {184, 7, 109, 100}),
                        ctl(IDOK, K::DefPushButton, "OK", {184, 112, 50, 14}),
                        ctl(IDCANCEL, K::PushButton, "Cancel", {243, 112, 50, 14})}};
    m.dialogs[IDD_COORDBAR] =
        DialogTemplate{IDD_COORDBAR,
                       "Coordinates",
                       250,
                       16,
                       {ctl(IDC_ABSOLUTE, K::PushButton, "Absolute...", {2, 1, 50, 14}, kStyleDisabled),
                        ctl(IDC_RELATIVE, K::PushButton, "Relative...", {54, 1, 50, 14}, kStyleDisabled),
                        ctl(IDC_XCOORD, K::Edit, "", {108, 1, 68, 14}, kStyleReadOnly),
                        ctl(IDC_YCOORD, K::Edit, "", {178, 1, 68, 14}, kStyleReadOnly)}};
    m.dialogs[IDD_PROPBAR] = DialogTemplate{
        IDD_PROPBAR,
        "Properties",
        230,
        16,
        {ctl(-1, K::Static, "Width:", {2, 4, 26, 8}), ctl(IDC_WIDTH, K::Edit, "", {30, 1, 60, 14}),
         ctl(-1, K::Static, "Tool:", {96, 4, 20, 8}), ctl(IDC_TOOL, K::Edit, "", {118, 1, 40, 14}),
         ctl(IDC_NEGATIVE, K::CheckBox, "Negative", {166, 3, 60, 10})}};
    return m;
}

} // namespace

const ResourceModule& lumbraResources() {
    static const ResourceModule module = build();
    static const bool registered = (AfxRegisterResourceModule(&module), true);
    (void)registered;
    return module;
}

} // namespace lumbra
