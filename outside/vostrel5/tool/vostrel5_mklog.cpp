// vostrel5-mklog: writes a layout change log from a plain description, for tests and demonstrations.
//
//   vostrel5-mklog [--version N] DESCRIPTION|- LOG
#include "vostrel5/change_log.h"

#include "platform/atomic_file.h"
#include "platform/line_reader.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

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
    // Read line by line under the description caps, so a huge file without line breaks is refused
    // early instead of being held whole.
    korvane::LineReader in;
    const bool fromStdin = std::strcmp(argv[arg], "-") == 0;
    if (!(fromStdin ? in.attach(0, "standard input", vostrel5::kDescriptionLimits)
                    : in.open(argv[arg], vostrel5::kDescriptionLimits))) {
        std::cerr << "vostrel5-mklog: " << in.error() << "\n";
        return 1;
    }
    std::string text, line;
    korvane::LineReader::Result got;
    while ((got = in.next(line)) == korvane::LineReader::Result::Line) {
        text += line;
        text += '\n';
    }
    if (got == korvane::LineReader::Result::Error) {
        std::cerr << "vostrel5-mklog: " << in.error() << "\n";
        return 1;
    }
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    if (!vostrel5::ParseDescription(text, records, error)) {
        std::cerr << argv[arg] << ", " << error << "\n";
        return 1;
    }
    if (!korvane::writeFileAtomically(argv[arg + 1], vostrel5::FormatLog(records, version), error)) {
        std::cerr << "vostrel5-mklog: " << error << "\n";
        return 1;
    }
    return 0;
}
