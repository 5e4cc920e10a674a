#include "schematicstub/stub.h"

#include "automation/schematic.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace korvane::schematic_stub {

using automation::Reply;
using automation::Value;
namespace A = automation;

std::string describe(const Value& v) {
    if (auto b = std::get_if<bool>(&v)) return *b ? "true" : "false";
    if (auto i = std::get_if<std::int32_t>(&v)) return std::to_string(*i);
    if (auto d = std::get_if<double>(&v)) return formatReal(*d);
    std::string out = "\"";
    for (char c : std::get<std::string>(v)) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += c;
        }
    }
    return out + "\"";
}

namespace {

// Argument kinds of each dispatch id: s text, i integer, b boolean, d real.
const std::map<std::int32_t, std::string_view> kSignatures = {
    {A::kDispBeginRun, "s"},         {A::kDispFindComponent, "ssib"},
    {A::kDispRemoveComponent, "is"}, {A::kDispChangeRefDes, "iss"},
    {A::kDispChangePackage, "iss"},  {A::kDispNetRemovePin, "sss"},
    {A::kDispNetAddPin, "sss"},      {A::kDispFindNet, "s"},
    {A::kDispChangeNetWidth, "id"},  {A::kDispGateSwap, "ssss"},
    {A::kDispPinSwap, "isis"},       {A::kDispRenumber, "ss"},
    {A::kDispActionLog, "ss"},       {A::kDispEndRun, ""},
};

bool matches(std::string_view sig, const std::vector<Value>& args) {
    if (sig.size() != args.size()) return false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        bool ok = (sig[i] == 's' && std::holds_alternative<std::string>(args[i])) ||
                  (sig[i] == 'i' && std::holds_alternative<std::int32_t>(args[i])) ||
                  (sig[i] == 'b' && std::holds_alternative<bool>(args[i])) ||
                  (sig[i] == 'd' && std::holds_alternative<double>(args[i]));
        if (!ok) return false;
    }
    return true;
}

std::vector<std::string> splitBlanks(const std::string& s) {
    std::vector<std::string> out;
    std::size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ')
            ++i;
        std::size_t start = i;
        while (i < s.size() && s[i] != ' ')
            ++i;
        if (i > start) out.push_back(s.substr(start, i - start));
    }
    return out;
}

// Exchanges the nets of two pins (either may be on none).
void swapNets(Schematic& sch, std::int32_t c1, const std::string& p1, std::int32_t c2,
              const std::string& p2) {
    Net* n1 = sch.netOf(c1, p1);
    Net* n2 = sch.netOf(c2, p2);
    auto retarget = [](Net* n, std::int32_t fromC, const std::string& fromP, std::int32_t toC,
                       const std::string& toP) {
        if (!n) return;
        for (auto& m : n->members)
            if (m.component == fromC && m.pin == fromP) {
                m.component = toC;
                m.pin = toP;
                return;
            }
    };
    if (n1 == n2) return;
    retarget(n1, c1, p1, c2, p2);
    retarget(n2, c2, p2, c1, p1);
}

} // namespace

Reply SchematicStub::call(std::int32_t dispid, const std::vector<Value>& args) {
    Reply r = dispatch(dispid, args);
    journal_ += std::to_string(dispid) + "(";
    for (std::size_t i = 0; i < args.size(); ++i)
        journal_ += (i ? ", " : "") + describe(args[i]);
    journal_ += ") -> " + (r.ok ? describe(r.value) : "refused: " + r.error) + "\n";
    return r;
}

Reply SchematicStub::dispatch(std::int32_t dispid, const std::vector<Value>& args) {
    auto sig = kSignatures.find(dispid);
    if (sig == kSignatures.end()) return Reply::refused("unknown dispatch id " + std::to_string(dispid));
    if (refused_.count(dispid)) return Reply::refused("refused by request");
    if (!matches(sig->second, args))
        return Reply::refused("dispatch id " + std::to_string(dispid) + " takes arguments (" +
                              std::string(sig->second) + ")");
    auto text = [&](std::size_t i) -> const std::string& { return std::get<std::string>(args[i]); };
    auto integer = [&](std::size_t i) { return std::get<std::int32_t>(args[i]); };
    Schematic& sch = schematic_;

    switch (dispid) {
    case A::kDispBeginRun:
        return Reply::done(true);
    case A::kDispEndRun:
        return Reply::done(std::int32_t{0});
    case A::kDispActionLog:
        actionLog_ += text(0);
        return Reply::done(true);
    case A::kDispFindComponent: {
        Component* c = sch.component(text(0));
        bool found = c && (text(1).empty() || c->hasPin(text(1)));
        return Reply::done(found ? c->handle : std::int32_t{0});
    }
    case A::kDispRemoveComponent: {
        Component* c = sch.component(text(1));
        if (!c) return Reply::done(false);
        sch.removeComponent(c->handle);
        return Reply::done(true);
    }
    case A::kDispChangeRefDes: {
        Component* c = sch.component(text(1));
        if (!c || !validName(text(2)) || (text(2) != text(1) && sch.component(text(2))))
            return Reply::done(false);
        c->designator = text(2);
        return Reply::done(true);
    }
    case A::kDispChangePackage: {
        if (!validName(text(2))) return Reply::done(false);
        bool changed = false;
        for (const auto& existing : sch.components()) {
            if ((integer(0) != 0 && existing.handle != integer(0)) || existing.package != text(1)) continue;
            sch.componentByHandle(existing.handle)->package = text(2);
            changed = true;
        }
        return Reply::done(changed);
    }
    case A::kDispNetRemovePin: {
        Net* n = sch.net(text(0));
        Component* c = sch.component(text(1));
        if (!n || !c) return Reply::done(std::int32_t{0});
        auto before = n->members.size();
        std::erase(n->members, Member{c->handle, text(2)});
        return Reply::done(std::int32_t{n->members.size() < before ? 1 : 0});
    }
    case A::kDispNetAddPin: {
        Component* c = sch.component(text(1));
        if (!c || !c->hasPin(text(2)) || sch.netOf(c->handle, text(2)) || !validName(text(0)))
            return Reply::done(std::int32_t{0});
        Net* n = sch.net(text(0));
        if (!n) n = &sch.addNet(text(0), 0);
        n->members.push_back(Member{c->handle, text(2)});
        return Reply::done(std::int32_t{1});
    }
    case A::kDispFindNet: {
        Net* n = sch.net(text(0));
        return Reply::done(n ? n->handle : std::int32_t{0});
    }
    case A::kDispChangeNetWidth: {
        Net* n = sch.netByHandle(integer(0));
        double w = std::get<double>(args[1]);
        if (!n || !(w >= 0)) return Reply::done(false);
        n->width = w;
        return Reply::done(true);
    }
    case A::kDispGateSwap: {
        Component* c1 = sch.component(text(0));
        Component* c2 = sch.component(text(2));
        const Section* s1 = c1 ? c1->section(text(1)) : nullptr;
        const Section* s2 = c2 ? c2->section(text(3)) : nullptr;
        if (!s1 || !s2 || s1 == s2 || s1->pins.size() != s2->pins.size()) return Reply::done(false);
        for (std::size_t k = 0; k < s1->pins.size(); ++k)
            swapNets(sch, c1->handle, s1->pins[k], c2->handle, s2->pins[k]);
        return Reply::done(true);
    }
    case A::kDispPinSwap: {
        Component* c1 = sch.componentByHandle(integer(0));
        Component* c2 = sch.componentByHandle(integer(2));
        if (!c1 || !c2 || !c1->hasPin(text(1)) || !c2->hasPin(text(3)) || (c1 == c2 && text(1) == text(3)))
            return Reply::done(false);
        swapNets(sch, c1->handle, text(1), c2->handle, text(3));
        return Reply::done(true);
    }
    case A::kDispRenumber: {
        auto olds = splitBlanks(text(0));
        auto news = splitBlanks(text(1));
        if (olds.empty() || olds.size() != news.size() || !std::all_of(news.begin(), news.end(), validName))
            return Reply::done(false);
        // All or nothing, and at once: R1->R2 with R2->R1 is a valid exchange.
        std::vector<std::string> finals;
        std::vector<Component*> targets;
        for (std::size_t i = 0; i < olds.size(); ++i) {
            Component* c = sch.component(olds[i]);
            if (!c || std::count(olds.begin(), olds.end(), olds[i]) > 1) return Reply::done(false);
            targets.push_back(c);
        }
        for (const auto& c : sch.components()) {
            auto it = std::find(olds.begin(), olds.end(), c.designator);
            finals.push_back(it == olds.end() ? c.designator
                                              : news[static_cast<std::size_t>(it - olds.begin())]);
        }
        std::sort(finals.begin(), finals.end());
        if (std::adjacent_find(finals.begin(), finals.end()) != finals.end()) return Reply::done(false);
        for (std::size_t i = 0; i < targets.size(); ++i)
            targets[i]->designator = news[i];
        return Reply::done(true);
    }
    }
    return Reply::refused("unknown dispatch id " + std::to_string(dispid));
}

} // namespace korvane::schematic_stub
