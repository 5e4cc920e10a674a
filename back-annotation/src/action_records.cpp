#include "backann/action_records.h"

#include "platform/format.h"

#include <array>

namespace tandrel {

namespace {

constexpr std::array<const char*, kLastActionId + 1> kKeywords = {
    "",
    "COMPONENT_REMOVE",
    "COMPONENT_ADD",
    "COMPONENT_CHANGE_DEVICE",
    "COMPONENT_CHANGE_REFDES",
    "COMPONENT_CHANGE_VALUE",
    "COMPONENT_CHANGE_PACKAGETYPE",
    "NET_REMOVE_PIN",
    "NET_ADD_PIN",
    "NET_MERGE",
    "NET_CHANGE_NAME",
    "NET_CHANGE_WIDTH",
    "GATE_SWAP",
    "PIN_SWAP",
    "COMPONENT_RENUMBER",
};

const std::string kNone;

} // namespace

const char* ActionKeyword(int id) {
    if (id < 0 || id > kLastActionId) return nullptr;
    return kKeywords[static_cast<size_t>(id)];
}

const std::string& ActionRecord::Param(size_t i) const {
    return i < params.size() ? params[i] : kNone;
}

std::string CutText(const std::string& text, size_t limit) {
    size_t chars = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        // Count lead bytes only, so a character is never split.
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (chars == limit) return text.substr(0, i);
            ++chars;
        }
    }
    return text;
}

void WriteLogFileName(IO_TextStream& out, const std::string& logPath) {
    IO_ItemList list(kLogFileNameRecord);
    list.Add<IO_ResStr>("Param", logPath);
    out.Write(list);
}

void WriteActionRecord(IO_TextStream& out, int id, const std::vector<std::string>& params) {
    const char* keyword = ActionKeyword(id);
    if (!keyword) return;
    IO_ItemList list(CutText(keyword, kMaxTextLength));
    for (size_t i = 0; i < params.size() && i < kMaxParameters; ++i)
        list.Add<IO_ResStr>("Param", CutText(params[i], kMaxTextLength));
    out.Write(list); // a list without parameters leaves nothing; an empty name is written NO_NAME_GIVEN
}

std::vector<ActionRecord> ReadActionRecords(IO_TextStream& in) {
    std::vector<ActionRecord> records;
    while (std::unique_ptr<IO_Item> item = in.ReadItem()) {
        ActionRecord r;
        r.name = item->GetName();
        if (item->GetKind() == IO_Item::Kind::List) {
            for (const auto& child : static_cast<const IO_ItemList&>(*item).Items())
                if (const std::string* text = IO_TextOf(*child)) r.params.push_back(*text);
        }
        // A record cut short by damage is not kept: half its parameters could do the wrong thing.
        if (in.IsFailed()) break;
        records.push_back(std::move(r));
    }
    return records;
}

std::optional<std::string> ActionLine(const std::string& prefix, const ActionRecord& r) {
    const char* pre = prefix.c_str();
    auto p = [&](size_t i) { return r.Param(i).c_str(); };
    const std::string& n = r.name;
    if (n == "COMPONENT_REMOVE") return korvane::format("%sRemove component: \"%s\"", pre, p(0));
    if (n == "COMPONENT_CHANGE_REFDES")
        return korvane::format("%sChange component RefDes: \"%s\" to \"%s\"", pre, p(0), p(2));
    if (n == "COMPONENT_CHANGE_VALUE")
        return korvane::format("%sChange component value for \"%s\": from \"%s\" to \"%s\"", pre, p(0), p(1),
                               p(2));
    if (n == "COMPONENT_CHANGE_PACKAGETYPE")
        return korvane::format("%sChange component package for \"%s\": from \"%s\" to \"%s\"", pre, p(0),
                               p(1), p(2));
    if (n == "NET_REMOVE_PIN")
        return korvane::format("%sNet remove pin: %s=\"%s\", %s=\"%s\", %s=\"%s\"", pre, "Net name", p(0),
                               "Component", p(1), "Pin number", p(2));
    if (n == "NET_ADD_PIN")
        return korvane::format("%sNet add pin: %s=\"%s\", %s=\"%s\", %s=\"%s\"", pre, "Net name", p(0),
                               "Component", p(1), "Pin number", p(2));
    if (n == "NET_CHANGE_NAME")
        return korvane::format("%sChange net name from \"%s\" to \"%s\"", pre, p(1), p(2));
    if (n == "NET_CHANGE_WIDTH")
        return korvane::format("%sNet change width: %s=\"%s\", %s=\"%s\", %s=\"%s\"", pre, "Net name", p(0),
                               "Previous", p(1), "New", p(2));
    if (n == "GATE_SWAP")
        return korvane::format("%sGate Swap: %s 1=\"%s\", %s 1=\"%s\", %s 2=\"%s\", %s 2=\"%s\"", pre,
                               "Component", p(0), "Section", p(1), "Component", p(2), "Section", p(3));
    if (n == "PIN_SWAP")
        return korvane::format("%sPin Swap: %s 1=\"%s\", %s 1=\"%s\", %s 2=\"%s\", %s 2=\"%s\"", pre,
                               "Component", p(0), "Pin number", p(1), "Component", p(2), "Pin number", p(3));
    if (n == "COMPONENT_RENUMBER")
        return korvane::format("%sComponent renumber \"%s\" to \"%s\"", pre, p(0), p(2));
    return std::nullopt;
}

std::optional<std::string> ListText(const ActionRecord& r) {
    const std::string& n = r.name;
    if (n == kLogFileNameRecord || n == "COMPONENT_ADD" || n == "COMPONENT_CHANGE_DEVICE" || n == "NET_MERGE")
        return std::nullopt;
    if (auto line = ActionLine("", r)) return line;
    return std::string(kIgnored) + n;
}

} // namespace tandrel
