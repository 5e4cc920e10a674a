#include "tandrel/layout_settings.h"

#include "itemformat/io_textstream.h"
#include "registry/registry.h"

#include <filesystem>

namespace tandrel {

using korvane::registry::Hive;
using korvane::registry::RegKey;

std::string WithFolderSeparator(const std::string& folder) {
    if (folder.empty()) return folder;
    char last = folder.back();
    if (last == '/' || last == '\\') return folder;
    bool windowsStyle = folder.find('\\') != std::string::npos && folder.find('/') == std::string::npos;
    return folder + (windowsStyle ? '\\' : '/');
}

bool ParseLayoutIni(const std::string& text, LayoutSettings& s) {
    s = LayoutSettings();
    IO_TextStream in = IO_TextStream::FromText(text);
    std::unique_ptr<IO_Item> first = in.ReadItem();
    if (in.IsFailed() || !first || first->GetKind() != IO_Item::Kind::List || first->GetName() != "Layout")
        return false;
    const auto& list = static_cast<const IO_ItemList&>(*first);
    list.GetDouble("version", s.version);
    list.GetText("layout_exe", s.layout_exe);
    list.GetText("layout_export_dir", s.layout_export_dir);
    list.GetText("layout_log_file_dir", s.layout_log_file_dir);
    list.GetText("layout_filter", s.layout_filter);
    list.GetText("layout_class", s.layout_class);
    list.GetText("tandrel_log", s.tandrel_log);
    list.GetLong("layout_index", s.layout_index);
    list.GetText("layout_reg_entry", s.layout_reg_entry);
    list.GetText("layout_exe_reg", s.layout_exe_reg);
    list.GetText("layout_export_reg", s.layout_export_reg);
    list.GetText("layout_log_file_reg", s.layout_log_file_reg);
    s.layout_export_dir = WithFolderSeparator(s.layout_export_dir);
    s.layout_log_file_dir = WithFolderSeparator(s.layout_log_file_dir);
    return s.version >= 0;
}

bool ApplyRegistryOverrides(LayoutSettings& s) {
    if (s.layout_reg_entry.empty()) return true;
    struct Path {
        const std::string& valueName;
        std::string& value;
        bool folder;
    };
    Path paths[] = {{s.layout_exe_reg, s.layout_exe, false},
                    {s.layout_export_reg, s.layout_export_dir, true},
                    {s.layout_log_file_reg, s.layout_log_file_dir, true}};
    auto take = [](const RegKey& key, const Path& p) {
        std::string v;
        if (p.valueName.empty() || !key.queryString(p.valueName, v) || v.empty()) return false;
        p.value = p.folder ? WithFolderSeparator(v) : v;
        return true;
    };
    RegKey user;
    if (user.open(Hive::CurrentUser, s.layout_reg_entry))
        for (const Path& p : paths)
            take(user, p);
    RegKey machine;
    if (!machine.open(Hive::LocalMachine, s.layout_reg_entry)) return true;
    for (const Path& p : paths)
        if (p.value.empty()) take(machine, p);
    return !s.layout_exe.empty();
}

bool ReadLayoutIni(const std::string& path, LayoutSettings& s) {
    IO_TextStream in;
    if (!in.OpenForReading(path)) return false;
    if (!ParseLayoutIni(in.GetText(), s)) return false;
    return ApplyRegistryOverrides(s);
}

bool FindLayoutSettings(const std::string& folder, LayoutSettings& s) {
    for (const char* name : kIniNames) {
        std::filesystem::path p = std::filesystem::path(folder) / name;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(p, ec)) continue;
        if (ReadLayoutIni(p.string(), s)) return true;
    }
    s = LayoutSettings();
    return false;
}

} // namespace tandrel
