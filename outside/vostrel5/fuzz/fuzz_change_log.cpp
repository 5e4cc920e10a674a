// Feeds arbitrary bytes to the change log reader (as a log file) and to the description reader. What
// the description reader accepts must write out as a log that reads back with the same records.
#include "vostrel5/BackAnnotation.h"
#include "vostrel5/change_log.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string path = "/tmp/vostrel5-fuzz-" + std::to_string(::getpid()) + ".log";
    static const bool cleanup = std::atexit([] { std::remove(path.c_str()); }) == 0;
    (void)cleanup;
    std::string text(reinterpret_cast<const char*>(data), size);
    {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
        CBackAnnotationManager log(path.c_str(), 2);
        CBackAnnotationRecord r;
        std::vector<CString> params;
        for (int i = 0; i < log.GetLogEntryCount(); ++i)
            if (log.GetLogEntry(i, r)) r.GetParameters(params);
    }
    std::vector<vostrel5::LogRecord> records;
    std::string error;
    if (vostrel5::ParseDescription(text, records, error)) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << vostrel5::FormatLog(records);
        CBackAnnotationManager log(path.c_str(), 2);
        if (log.Status() != 0 || log.GetLogEntryCount() != static_cast<int>(records.size())) std::abort();
        for (size_t i = 0; i < records.size(); ++i) {
            CBackAnnotationRecord r;
            int got = log.GetLogEntry(static_cast<int>(i), r);
            if (got != (records[i].withdrawn ? 0 : 1)) std::abort();
            if (!got) continue;
            std::vector<CString> params;
            r.GetParameters(params);
            if (r.GetActionID() != records[i].id || params.size() != records[i].params.size()) std::abort();
            for (size_t k = 0; k < params.size(); ++k)
                if (params[k].str() != records[i].params[k]) std::abort();
        }
    }
    return 0;
}
