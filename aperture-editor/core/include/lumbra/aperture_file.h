// The custom-aperture text file: a header line, then apertures (head, decimal count, primitive lines
// with hexadecimal values), optionally ended by "$End".
#pragma once

#include "lumbra/aperture.h"

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
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

// Where an aperture's head line sits in the file, so that it can be read again on its own.
struct AperturePlace {
    long offset = 0; // bytes from the start of the file
    long line = 0;   // its line number
};

struct ScanResult {
    bool headerFound = false;
    std::vector<ApertureCatalogEntry> catalog;
    std::vector<AperturePlace> places; // one per catalogue row
    long aperturesInFile = 0;          // may exceed the catalogue
    std::string error;                 // non-empty: the file is malformed (the message names the line)
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

// One pass: checks and lists the whole section as scanApertureFile does, and keeps the first aperture
// in `first` (complete only when the result is ok and lists an aperture).
ScanResult readApertureFile(std::FILE* f, LoadedAperture& first);

// Loads aperture k (1-based) of a file that `scan` listed, reading from its head line only.
bool loadListedAperture(std::FILE* f, const ScanResult& scan, long k, LoadedAperture& out,
                        std::string& error);

// Writes the text the editor saves (sizes recomputed first unless the caller just did) in pieces of
// bounded size through `sink`; stops at the first piece the sink refuses and returns false.
bool writeAperture(ApertureRecord& a, const std::function<bool(std::string_view)>& sink,
                   bool sizesFresh = false);

// The aperture head line as saved (name, X and Y size in units), without its line feed.
std::string apertureHeadLine(const ApertureRecord& a);

// The text the editor saves: sizes recomputed first, only this aperture, no end line.
std::string writeApertureText(ApertureRecord& a);

// Why a saved aperture of this name would not read back as itself (the reader takes a line starting
// with "#" for a comment and one starting with "$End" for the end of the section); empty when it would.
std::string nameUnfitForSaving(const std::string& name);

// Hexadecimal as the file holds it: 32-bit two's complement, lower case, no prefix or padding.
std::string hexWord(std::int32_t v);

} // namespace lumbra
