// vostrel5-mklog: writes a layout change log from a plain description, for tests and demonstrations.
//
//   vostrel5-mklog [--version N] DESCRIPTION|- LOG
#include "vostrel5/change_log.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    int version = vostrel5::kLogVersion;
    int arg = 1;
    if (arg + 1 < argc && std::strcmp(argv[arg], "--version") == 0) {
        version = std::atoi(argv[arg + 1]);
        arg += 2;
    }
    if (argc - arg != 2) {
        std::cerr << "usage: vostrel5-mklog [--version N] DESCRIPTION|- LOG\n";
        return 2;
    }
    std::stringstream text;
    if (std::strcmp(argv[arg], "-") == 0) {
        text << std::cin.rdbuf();
    } else {
        std::ifstream in(argv[arg], std::ios::binary);
        if (!in) {
            std::cerr << argv[arg] << ": " << std::strerror(errno) << "\n";
            return 1;
        }
        text << in.rdbuf();
    }
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    if (!vostrel5::ParseDescription(text.str(), records, error)) {
        std::cerr << argv[arg] << ", " << error << "\n";
        return 1;
    }
    // Written beside the target, then renamed over it.
    std::string target = argv[arg + 1];
    std::string temp = target + ".tmp" + std::to_string(::getpid());
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << vostrel5::FormatLog(records, version);
        out.flush();
        if (!out) {
            std::cerr << target << ": cannot be written\n";
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), target.c_str()) != 0) {
        std::cerr << target << ": " << std::strerror(errno) << "\n";
        std::remove(temp.c_str());
        return 1;
    }
    return 0;
}
