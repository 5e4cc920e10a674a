// The custom-aperture text file: a header line, then apertures (head, decimal count, primitive lines
// with hexadecimal values), optionally ended by "$End".
#pragma once

#include "aperture.h"

#include <cstdio>
#include <string>
#include <vector>

namespace lumbra {

struct ApertureCatalogEntry {
    std::string name;
    double xSize = 0; // inches
    double ySize = 0;
};

// The chooser lists at most this many apertures of one file.
inline constexpr int kCatalogRows = 998;
// Lines longer than this are refused inside the aperture section.
inline constexpr std::size_t kMaxLineLength = 255;

struct ScanResult {
    bool headerFound = false;
    std::vector<ApertureCatalogEntry> catalog;
    long aperturesInFile = 0; // may exceed the catalogue
    std::string error;        // non-empty: the file is malformed (the message names the line)
    bool ok() const { return error.empty(); }
};

// Walks the whole aperture section, checking every line, and lists the apertures.
ScanResult scanApertureFile(std::FILE* f);

// A loaded aperture, not yet given to a document.
struct LoadedAperture {
    std::string name;
    double xSize = 0, ySize = 0; // inches
    PrimitiveList primitives;
};

// Loads aperture k (1-based). False with an error naming the line when the file is malformed, or
// with an empty error when there is no such aperture.
bool loadApertureFromFile(std::FILE* f, long k, LoadedAperture& out, std::string& error);

// The text the editor saves: sizes recomputed first, only this aperture, no end line.
std::string writeApertureText(ApertureRecord& a);

// Why a saved aperture of this name would not read back as itself (the reader takes a line starting
// with "#" for a comment and one starting with "$End" for the end of the section); empty when it would.
std::string nameUnfitForSaving(const std::string& name);

// Hexadecimal as the file holds it: 32-bit two's complement, lower case, no prefix or padding.
std::string hexWord(std::int32_t v);

} // namespace lumbra
