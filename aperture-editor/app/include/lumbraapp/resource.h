// Resource numbers of the editor: commands, dialogs, their controls, bars and status panes.
#pragma once

namespace lumbra {

enum AppCommand : int {
    // Standard framework commands.
    ID_FILE_NEW = 0xE100,
    ID_FILE_OPEN = 0xE101,
    ID_FILE_SAVE = 0xE103,
    ID_FILE_SAVE_AS = 0xE104,
    ID_FILE_PRINT_SETUP = 0xE106,
    ID_FILE_PRINT = 0xE107,
    ID_FILE_PRINT_PREVIEW = 0xE109,
    ID_FILE_MRU_FILE1 = 0xE110,
    ID_EDIT_UNDO = 0xE12B,
    ID_APP_ABOUT = 0xE140,
    ID_APP_EXIT = 0xE141,
    ID_HELP_FINDER = 0xE143,
    ID_VIEW_TOOLBAR = 0xE800,
    ID_VIEW_STATUS_BAR = 0xE801,
    // The editor's own (copy, move, delete, change tools, the view and add commands are in view.h).
    ID_VIEW_REDRAW = 32775,
    ID_VIEW_ALL = 32783,
    ID_VIEW_SKETCH = 32785,
    ID_VIEW_ZOOMBAR = 32786,
    ID_OPTIONS_GRID = 32781,
    ID_OPTIONS_METRIC = 32782,
    ID_FILE_EXPORT_GERBER = 32787,
};

inline constexpr int kRecentFiles = 4;

// Bars: the standard toolbar and the status bar keep the framework's window IDs.
enum BarId : int {
    AFX_IDW_TOOLBAR = 0xE800,
    AFX_IDW_STATUS_BAR = 0xE801,
    IDR_VIEWBAR = 0xE803,
    IDD_COORDBAR = 0xE804,
    IDD_PROPBAR = 0xE805,
};

// Status panes after the prompt.
enum PaneId : int {
    ID_SEPARATOR = 0,
    ID_INDICATOR_MOD = 59400,
    ID_INDICATOR_CNT = 59401,
    ID_INDICATOR_SEL = 59402,
    ID_INDICATOR_UNIT = 59403,
};

enum DialogId : unsigned {
    IDR_MAINFRAME = 128,
    IDD_ABOUTBOX = 100,
    IDD_ABSCOORD = 130,
    IDD_GRIDPROP = 131,
    IDD_CHANGETOOLS = 132,
    IDD_OPENCUSTOMAP = 133,
};

enum ControlId : int {
    IDC_ABSOLUTE = 1000,
    IDC_RELATIVE = 1001,
    IDC_XCOORD = 1002,
    IDC_YCOORD = 1003,
    IDC_WIDTH = 1004,
    IDC_TOOL = 1005,
    IDC_NEGATIVE = 1006,
    IDC_X = 1010,
    IDC_Y = 1011,
    IDC_SNAP = 1020,
    IDC_GRID_DISPLAY = 1021,
    IDC_GRID_SIZE = 1022,
    IDC_FROM_TOOL = 1030,
    IDC_TO_TOOL = 1031,
    IDC_TOOL_SIZE = 1032,
    IDC_APLIST = 1040,
    IDC_PREVIEW = 1041,
    IDC_ICON = 1050,
};

// The message the coordinate dialog sends the active view: a typed-in point, as a click.
inline constexpr unsigned kKeyedPointMessage = 0x0400 + 60; // 1084

} // namespace lumbra
