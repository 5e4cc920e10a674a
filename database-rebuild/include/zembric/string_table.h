// The program's string table: texts as stored, looked up by their ids.
#pragma once

#include <string>

namespace zembric {

enum StringId : unsigned {
    IDS_ABOUTBOX = 12,
    IDS_DONE = 204,
    IDS_ERROR_TABLE = 205,
    IDS_OPENING = 210,
    IDS_RESET_FLAGS = 211,
    IDS_COMPACTING = 212,
    IDS_FAILED = 213,
    IDS_USAGE = 214,
    IDS_NOT_OPEN = 218,
    IDS_STEP_SYMBOLS = 219,
    IDS_STEP_PACKAGES = 220,
    IDS_STEP_MODELS = 221,
    IDS_STEP_COMPONENTS = 222,
    IDS_STEP_MODELS_PASS2 = 223,
    IDS_STEP_SYMBOL_PICTURES = 224,
    IDS_STEP_MODELS_PASS3 = 225,
    IDS_STEP_HISTORY = 226,
    IDS_HISTORY_COMMENT = 227,
    IDS_ATTEMPT = 228,
    IDS_PASS = 230,
};

// The text of a string id; empty for an id the table does not hold.
std::string LoadString(unsigned id);

// Caption of the main dialog.
inline constexpr const char* kMainCaption = "创建8.xx版本数据库";
// Version recorded when the database carries no history yet.
inline constexpr const char* kFirstVersion = "V8.01";

} // namespace zembric
