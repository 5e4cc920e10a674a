// One custom aperture as an RS-274X file: an aperture macro built from its primitives, defined as
// D10 and flashed once at the origin, in inches or millimetres.
//
// Circles, lines and polygons are written exactly: circle primitives, vector lines (a clear line as
// the outline of its body, since some readers ignore a vector line's exposure), and outlines of at
// most 40 corners (a longer simple polygon is cut into triangles). An arc is drawn as a stroke with round
// ends: its ends are exact circles and its body is outlines whose edges stay within kGerberArcTolerance of
// the true curves. Polarity is the exposure of each primitive, so negative primitives clear what came before
// them inside the aperture. Drill tools are not part of the picture and are not written.
#pragma once

#include "lumbra/aperture.h"
#include "lumbra/units.h"

#include <cstdint>
#include <string>

namespace lumbra {

enum class GerberUnit { Inch, Millimetre };

// Arcs become outlines whose edges stay within this distance of the true curve: 1 micrometre.
inline constexpr std::int32_t kGerberArcTolerance = 100;
// No part of an exported aperture may lie farther than this from the origin along either axis
// (250 mm): a pad shape beyond it is a mistake, not an aperture.
inline constexpr std::int64_t kGerberMaxReach = 250LL * kUnitsPerMm;

struct GerberExport {
    std::string text;  // the file, when ok
    std::string error; // why no file can be written, otherwise
    int written = 0;   // primitives that went into the macro
    int skipped = 0;   // primitives without area (zero width or diameter, degenerate outline)
    bool ok() const { return error.empty(); }
};

// The file's text, or a refusal: an empty aperture, nothing with an area, a negative size, an unknown
// primitive type, or a part beyond kGerberMaxReach.
GerberExport gerberText(const ApertureRecord& a, GerberUnit unit);

// Builds the text and saves it through the atomic writer. False with `error` when refused or when
// the write failed; the target is untouched then.
bool writeGerberFile(const ApertureRecord& a, GerberUnit unit, const std::string& path, std::string& error);

// The aperture's name as a macro name: letters, digits, '_', '.' and '$' only, at most 100
// characters; "AP_" goes before a name that starts with a digit or has one character only.
std::string gerberMacroName(const std::string& apertureName);

} // namespace lumbra
