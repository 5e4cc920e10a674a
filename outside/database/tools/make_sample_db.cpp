// zembric-sample-db PATH [COMPONENTS [SEED]]: writes a sample component database.
#include "database/Database.h"
#include "database/Sample.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s PATH [COMPONENTS [SEED]]\n", argv[0]);
        return 2;
    }
    korvane_db::SampleOptions o;
    char* end = nullptr;
    if (argc > 2) {
        o.components = std::strtol(argv[2], &end, 10);
        if (*end || o.components < 0 || o.components > 100000000) {
            std::fprintf(stderr, "component count must be 0 to 100000000: %s\n", argv[2]);
            return 2;
        }
    }
    if (argc > 3) {
        o.seed = std::strtoull(argv[3], &end, 10);
        if (*end) {
            std::fprintf(stderr, "seed must be a number: %s\n", argv[3]);
            return 2;
        }
    }
    try {
        korvane_db::SampleCounts n = korvane_db::WriteSampleDatabase(argv[1], o);
        std::printf(
            "%s: %ld components, %ld models, %ld symbols, %ld packages, %ld/%ld/%ld symbol/package/model "
            "mappings, %ld families, %ld groups\n",
            argv[1], n.components, n.models, n.symbols, n.packages, n.mapSymbol, n.mapPackage, n.mapModel,
            n.families, n.groups);
    } catch (const CDatabaseException& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
