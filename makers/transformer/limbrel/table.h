// The five value boxes of the two-winding transformer's dialog, shared with Gastor: same units, limits
// and defaults; each maker gives its own labels and places. No window header.
#pragma once

#include "frame/boxes.h"
#include "limbrel/core.h"

#include <array>
#include <vector>

namespace limbrel {

struct RowPlace {
    const char* label;
    DlgRect labelRect;
    DlgRect boxRect;
};

inline std::vector<frame::BoxRow<Inputs>> boxRows(const std::array<RowPlace, 5>& p) {
    using Row = frame::BoxRow<Inputs>;
    // Inductances offer the prefixes µ to none, resistances the whole range.
    auto inductance = [](unsigned id, const RowPlace& r, double def, double Inputs::*f) {
        return Row{.label = r.label,
                   .labelId = id,
                   .unit = Unit::Henry,
                   .lowPrefix = 2,
                   .highPrefix = 4,
                   .minimum = 1e-09,
                   .maximum = 999,
                   .defaultValue = def,
                   .field = f,
                   .labelRect = r.labelRect,
                   .boxRect = r.boxRect};
    };
    auto resistance = [](unsigned id, const RowPlace& r, double def, double Inputs::*f) {
        return Row{.label = r.label,
                   .labelId = id,
                   .unit = Unit::Ohm,
                   .defaultValue = def,
                   .field = f,
                   .labelRect = r.labelRect,
                   .boxRect = r.boxRect};
    };
    return {
        Row{.label = p[0].label,
            .labelId = 1,
            .unit = Unit::None,
            .lowPrefix = 4,
            .highPrefix = 4,
            .minimum = 0.001,
            .maximum = 99999,
            .defaultValue = 11.5,
            .field = &Inputs::ratio,
            .labelRect = p[0].labelRect,
            .boxRect = p[0].boxRect},
        inductance(2, p[1], 0.0292, &Inputs::leakage),
        inductance(3, p[2], 10.0, &Inputs::magnetising),
        resistance(4, p[3], 66.0, &Inputs::primaryResistance),
        resistance(5, p[4], 0.5, &Inputs::secondaryResistance),
    };
}

} // namespace limbrel
