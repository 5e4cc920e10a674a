#include "zembric/string_table.h"

namespace zembric {

namespace {
struct Entry {
    unsigned id;
    const char* text;
};

constexpr Entry kTable[] = {
    {IDS_ABOUTBOX, "关于数据库信息(&A)"},
    {IDS_DONE, "完成"},
    {IDS_ERROR_TABLE, "错误:处理表格: "},
    {IDS_OPENING, "打开数据库: "},
    {IDS_RESET_FLAGS, "--- 复位所有系列标记."},
    {IDS_COMPACTING, "--- 压缩数据库: "},
    {IDS_FAILED, "失败"},
    {IDS_USAGE, "命令格式: zembric.exe db_path_and_name [access_param | NON] [version_param | NON] "
                "[Manufacturer_param | NON]\r\n \n例子: zembric.exe /srv/korvane/components.db A0&A1&A3"},
    {IDS_NOT_OPEN, "元件数据库未打开."},
    {IDS_STEP_SYMBOLS, "--- 处理符号"},
    {IDS_STEP_PACKAGES, "--- 处理封装"},
    {IDS_STEP_MODELS, "--- 处理模型"},
    {IDS_STEP_COMPONENTS, "--- 处理元件"},
    {IDS_STEP_MODELS_PASS2, "--- 处理模型(传送2)"},
    {IDS_STEP_SYMBOL_PICTURES, "--- 处理符号位图"},
    {IDS_STEP_MODELS_PASS3, "--- 处理模型(传送3)"},
    {IDS_STEP_HISTORY, "--- 处理历史信息"},
    {IDS_HISTORY_COMMENT, "DB recreated by zembric.exe V3.00"},
    {IDS_ATTEMPT, "尝试"},
    {IDS_PASS, "传送"},
};
} // namespace

std::string LoadString(unsigned id) {
    for (const Entry& e : kTable)
        if (e.id == id) return e.text;
    return {};
}

} // namespace zembric
