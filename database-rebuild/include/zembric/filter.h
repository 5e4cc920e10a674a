// The deletion filter: which rows of a table fall outside the edition the command line asks for.
#pragma once

#include "zembric/command_line.h"

#include <string>
#include <string_view>
#include <vector>

namespace zembric {

// Splits a code list at '&'. An '&' that stands first does not split, so "A0&&A1" gives "A0" and "&A1";
// an empty item ends the list.
std::vector<std::string> SplitCodeList(std::string_view list);

// A text made safe to stand between single quotes in SQL: every quote doubled.
std::string QuoteSqlText(std::string_view text);

// The condition (on table, e.g. "[SYS_COMPONENT]") that selects the rows to delete; empty selects
// nothing. Keep lists select rows whose column is none of their codes (a NULL column included); drop
// lists select rows whose column is one of their codes; a row is selected when any list selects it.
std::string BuildFilter(const char* table, const RunSettings& settings);

} // namespace zembric
