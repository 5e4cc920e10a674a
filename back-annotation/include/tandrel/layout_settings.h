// The layout program's settings as the back-annotation program needs them: read from the layout
// program's ini file (item text format) and completed from the registry.
#pragma once

#include <string>

namespace tandrel {

struct LayoutSettings {
    double version = -1;
    std::string layout_exe;
    std::string layout_export_dir;   // ends with a folder separator when set
    std::string layout_log_file_dir; // ends with a folder separator when set; where the log chooser starts
    std::string layout_filter;
    std::string layout_class;
    std::string tandrel_log; // full path of the action file
    long layout_index = -1;
    std::string layout_reg_entry; // registry subkey with overriding values
    std::string layout_exe_reg;
    std::string layout_export_reg;
    std::string layout_log_file_reg;
};

// The ini files looked for, in order.
constexpr const char* kIniNames[] = {"tressil7.ini", "tressil6.ini", "tressil.ini"};

// A folder path that ends with a separator: the one it already uses (a backslash for paths written
// with backslashes), else "/". An empty path stays empty.
std::string WithFolderSeparator(const std::string& folder);

// Takes the keys of the "Layout" list (the text's first item) into `settings`, which is cleared first.
// False when the text does not start with that list, an item in it does not parse, or no version of 0
// or more is given.
bool ParseLayoutIni(const std::string& text, LayoutSettings& settings);

// Reads one ini file and applies the registry overrides; false when the file counts as not read.
bool ReadLayoutIni(const std::string& path, LayoutSettings& settings);

// The registry part: values under layout_reg_entry in the user hive replace the ini's paths, then
// values in the machine hive fill the paths still empty. False when layout_exe stays empty although
// the machine key opened.
bool ApplyRegistryOverrides(LayoutSettings& settings);

// The first of the ini files in `folder` that exists and reads; false when none does.
bool FindLayoutSettings(const std::string& folder, LayoutSettings& settings);

} // namespace tandrel
