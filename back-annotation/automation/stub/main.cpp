// korvane-schematic-stub: a stand-in for the schematic program's automation object, for tests and
// demonstrations. See the folder README for the options and files.
#include "schematicstub/stub.h"

#include "automation/service.h"
#include "platform/atomic_file.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace korvane;
using schematic_stub::Schematic;
using schematic_stub::SchematicStub;

namespace {

constexpr const char* kDefaultIdentifier = "{5C3A9E41-7B2D-4F6A-8E19-0D4C6B2A7F35}";
constexpr std::uintmax_t kMaxInput = 16u << 20;

void usage() {
    std::cerr << "usage: korvane-schematic-stub --schematic FILE [--id IDENTIFIER] [--out-schematic FILE]\n"
                 "       [--out-log FILE] [--out-calls FILE] [--refuse DISPID[,DISPID...]]\n";
}

bool writeAtomic(const std::string& path, const std::string& data) {
    std::string error;
    if (korvane::writeFileAtomically(path, data, error)) return true;
    std::cerr << error << "\n";
    return false;
}

bool parseIds(const std::string& list, std::set<std::int32_t>& out) {
    std::stringstream in(list);
    std::string item;
    while (std::getline(in, item, ',')) {
        char* end = nullptr;
        long v = std::strtol(item.c_str(), &end, 10);
        if (item.empty() || *end != '\0' || v < INT32_MIN || v > INT32_MAX) return false;
        out.insert(static_cast<std::int32_t>(v));
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    std::string input, identifier = kDefaultIdentifier, outSchematic, outLog, outCalls;
    std::set<std::int32_t> refused;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (i + 1 >= argc) {
            usage();
            return 2;
        }
        std::string v = argv[++i];
        if (a == "--schematic")
            input = v;
        else if (a == "--id")
            identifier = v;
        else if (a == "--out-schematic")
            outSchematic = v;
        else if (a == "--out-log")
            outLog = v;
        else if (a == "--out-calls")
            outCalls = v;
        else if (a == "--refuse" && parseIds(v, refused))
            continue;
        else {
            usage();
            return 2;
        }
    }
    if (input.empty()) {
        usage();
        return 2;
    }
    if (outSchematic.empty()) outSchematic = input + ".result";
    if (outLog.empty()) outLog = input + ".actionlog";

    std::ifstream in(input, std::ios::binary);
    std::string text;
    if (in) {
        std::ostringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    if (!in || text.size() > kMaxInput) {
        std::cerr << input << ": cannot read the schematic (missing, unreadable or over 16 MiB)\n";
        return 2;
    }
    Schematic schematic;
    std::string error;
    if (!schematic.parse(text, error)) {
        std::cerr << input << ": " << error << "\n";
        return 2;
    }

    SchematicStub stub(std::move(schematic));
    stub.refuse(refused);
    int rc = 0;
    {
        automation::Service service;
        if (!service.start(
                identifier,
                [&](std::int32_t id, const std::vector<automation::Value>& args) {
                    return stub.call(id, args);
                },
                error)) {
            std::cerr << error << "\n";
            return 3;
        }
        service.run();
        // Written before the service goes, so that a Quit caller finds them in place.
        bool ok =
            writeAtomic(outSchematic, stub.schematic().write()) && writeAtomic(outLog, stub.actionLog());
        if (!outCalls.empty()) ok = writeAtomic(outCalls, stub.journal()) && ok;
        if (!ok) {
            std::cerr << "cannot write the results\n";
            rc = 4;
        }
    }
    return rc;
}
