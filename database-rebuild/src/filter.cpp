#include "filter.h"

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

void appendList(std::string& filter, const char* table, const char* column, const std::string& list,
                bool keep) {
    if (list.empty()) return;
    std::string joined;
    for (const std::string& item : SplitCodeList(list)) {
        std::string code = QuoteSqlText(item);
        std::string cond = keep ? korvane::format("(%s.%s <> '%s' OR %s.%s IS NULL)", table, column,
                                                  code.c_str(), table, column)
                                : korvane::format("%s.%s = '%s'", table, column, code.c_str());
        if (!joined.empty()) joined += keep ? " AND " : " OR ";
        joined += cond;
    }
    if (joined.empty()) return;
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
