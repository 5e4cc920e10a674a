#include "zembric/filter.h"

#include "platform/format.h"

namespace zembric {

std::vector<std::string> SplitCodeList(std::string_view list) {
    std::vector<std::string> items;
    std::string_view rest = list;
    while (!rest.empty()) {
        size_t amp = rest.find('&');
        std::string_view item;
        if (amp != std::string_view::npos && amp > 0) {
            item = rest.substr(0, amp);
            rest = rest.substr(amp + 1);
        } else {
            item = rest;
            rest = {};
        }
        if (item.empty()) break;
        items.emplace_back(item);
    }
    return items;
}

std::string QuoteSqlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out;
}

namespace {

// One list is one IN (or NOT IN) condition: a chain of single comparisons joined by AND or OR nests one
// level per code, and SQLite refuses such chains after about a thousand codes.
void appendList(std::string& filter, const char* table, const char* column, const std::string& list,
                bool keep) {
    if (list.empty()) return;
    std::string codes;
    for (const std::string& item : SplitCodeList(list)) {
        if (!codes.empty()) codes += ", ";
        codes += '\'';
        codes += QuoteSqlText(item);
        codes += '\'';
    }
    if (codes.empty()) return;
    // A row without a code is outside every keep list.
    std::string joined = keep ? korvane::format("(%s.%s NOT IN (%s) OR %s.%s IS NULL)", table, column,
                                                codes.c_str(), table, column)
                              : korvane::format("%s.%s IN (%s)", table, column, codes.c_str());
    if (filter.empty())
        filter = " (" + joined + ") ";
    else
        filter += " OR (" + joined + ")";
}

} // namespace

std::string BuildFilter(const char* table, const RunSettings& s) {
    std::string filter;
    appendList(filter, table, "[Access]", s.keepAccess, true);
    appendList(filter, table, "[Access]", s.dropAccess, false);
    appendList(filter, table, "[Version]", s.keepVersion, true);
    appendList(filter, table, "[Version]", s.dropVersion, false);
    appendList(filter, table, "[Manufacturer]", s.keepManufacturer, true);
    appendList(filter, table, "[Manufacturer]", s.dropManufacturer, false);
    appendList(filter, table, "[Access2]", s.keepAccess2, true);
    appendList(filter, table, "[Access2]", s.dropAccess2, false);
    return filter;
}

} // namespace zembric
