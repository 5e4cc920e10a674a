#include "tandrel/annotate_dlg.h"
#include "tandrel/tandrel_app.h"

namespace tandrel {

const ResourceModule& TandrelResources() {
    static const ResourceModule module = [] {
        ResourceModule m;
        m.name = "Tandrel";
        m.strings[IDS_NO_INI] = "Unable to find/read .INI file";
        m.strings[IDS_APP_TITLE] = "Tandrel";
        m.strings[IDS_FILE_FILTER] = "Tressil Log Files(.log)|*.log||";
        DialogTemplate d;
        d.id = IDD_ANNOTATE;
        d.caption = "反标注记录列表";
        d.width = 320;
        d.height = 200;
        d.controls = {
            {IDC_ANNOTATE_CAPTION,
             ControlKind::Static,
             "以下操作将从 Tressil 反标注到原理图：",
             {7, 7, 306, 10},
             0},
            {IDC_ANNOTATE_LIST, ControlKind::ListBox, "", {7, 20, 306, 150}, kStyleVScroll},
            {IDC_SELECT_ALL, ControlKind::PushButton, "全选", {7, 178, 50, 14}, 0},
            {IDC_DESELECT_ALL, ControlKind::PushButton, "全不选", {61, 178, 50, 14}, 0},
            {IDOK, ControlKind::DefPushButton, "确定", {149, 178, 50, 14}, 0},
            {IDCANCEL, ControlKind::PushButton, "取消", {206, 178, 50, 14}, 0},
            {ID_HELP, ControlKind::PushButton, "帮助", {263, 178, 50, 14}, 0},
        };
        m.dialogs[IDD_ANNOTATE] = d;
        return m;
    }();
    return module;
}

} // namespace tandrel
