// The registry: two hives (the current user's and the machine's) of keys, subkeys and named values
// that are either texts or integers.
//
// On disk each hive is a folder tree: the user hive lives in $XDG_CONFIG_HOME/korvane/registry
// (default ~/.config/korvane/registry), the machine hive in the first folder of $XDG_CONFIG_DIRS
// followed by korvane/registry (default /etc/xdg/korvane/registry). A key is a folder; its values are
// in the file values.ini inside it. The folder README describes the file.
//
// Key paths use a backslash between key names ("Software\Tarnell Software\Lumbra 1.3"). Key and
// value names compare without regard to ASCII case and keep the spelling they were created with.
// Every call reports success or failure; a missing, unreadable or malformed file is never fatal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace korvane::registry {

enum class Hive { CurrentUser, LocalMachine };

enum class ValueType { None, String, Integer };

// The folder holding a hive, from the environment at the time of the call.
std::filesystem::path hiveRoot(Hive hive);

class RegKey {
  public:
    RegKey() = default;

    // Opens an existing key; fails when any key on the path is missing. An empty path opens the
    // hive's root key.
    bool open(Hive hive, std::string_view path);
    // Opens a key, creating it and every missing key above it.
    bool create(Hive hive, std::string_view path);
    void close();
    bool isOpen() const { return open_; }

    // Fail when the value is missing, has the other type, or its line in the file is malformed.
    bool queryString(std::string_view name, std::string& out) const;
    bool queryInteger(std::string_view name, std::int64_t& out) const;
    ValueType queryType(std::string_view name) const;

    // Each change is written to disk at once (temporary file, then rename).
    bool setString(std::string_view name, std::string_view value);
    bool setInteger(std::string_view name, std::int64_t value);
    bool deleteValue(std::string_view name);

    // Enumeration by index, from 0 until the call fails. Subkeys come in case-blind alphabetical
    // order, values in the order of the file.
    bool enumKey(std::size_t index, std::string& name) const;
    bool enumValue(std::size_t index, std::string& name, ValueType& type) const;

    // Removes a direct subkey with its values; fails while it has subkeys of its own.
    bool deleteSubKey(std::string_view name);

  private:
    bool resolve(Hive hive, std::string_view path, bool create);

    bool open_ = false;
    Hive hive_ = Hive::CurrentUser;
    std::filesystem::path dir_;
};

} // namespace korvane::registry
