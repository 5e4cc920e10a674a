// The component database's schema, and a generator of sample databases for tests, demonstrations
// and benchmarks: any size, the same file for the same seed.
#pragma once

#include <cstdint>
#include <string>

namespace korvane_db {

// The statements that create an empty component database.
const char* ComponentSchemaSql();

// Creates an empty component database at path (which must not exist yet). Raises CDatabaseException.
void CreateComponentDatabase(const std::string& path);

struct SampleOptions {
    long components = 1000;
    std::uint64_t seed = 1;
    bool withVersionHistory = true; // a few earlier history entries, the last one "V7.10"
    int percentNullCodes = 5;       // share of components and models with NULL access/version/maker codes
    int percentDuplicateModels = 5; // share of components with a repeated model mapping
};

struct SampleCounts {
    long components = 0, models = 0, symbols = 0, pictures = 0, packages = 0;
    long mapSymbol = 0, mapPackage = 0, mapModel = 0, families = 0, groups = 0, history = 0;
};

// Writes a new sample database at path (replacing any file there) and tells what it holds.
SampleCounts WriteSampleDatabase(const std::string& path, const SampleOptions& options);

// The codes the generator draws from.
extern const char* const kSampleAccess[4];  // "A0".."A3"
extern const char* const kSampleAccess2[2]; // "B0", "B1"
extern const char* const kSampleVersion[3]; // "V6", "V7", "V8"
extern const char* const kSampleMaker[6];   // manufacturer names

} // namespace korvane_db
