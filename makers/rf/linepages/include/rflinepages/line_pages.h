// The two pages the transmission-line makers share in shape: four rows in one group each. The first
// page holds the same four boxes in all three makers; only their defaults differ. No window header.
#pragma once

#include "frame/boxes.h"

namespace rf {

// One group of four rows titled like the page, labels right-aligned in front of the boxes.
inline void fourRows(frame::TemplateBuilder& b, const char* title) {
    b.column(title, 0, 4, 6, 6, 172, 74, 80);
}
inline void electricalLayout(frame::TemplateBuilder& b) {
    fourRows(b, "电气特性");
}
inline void dimensionsLayout(frame::TemplateBuilder& b) {
    fourRows(b, "导线尺寸");
}

struct ElectricalDefaults {
    double epsR, frequency, resistivity, tanDelta;
};

// Page 1 (dialog 100): relative permittivity, frequency, resistivity and loss tangent, bound to the
// inputs' fields of those names.
template <typename Inputs> frame::BoxTable<Inputs> electricalPage(ElectricalDefaults d) {
    return {
        .templateId = 100,
        .caption = "电气特性",
        .width = 184,
        .height = 88,
        .rows =
            {
                {.label = "相对介电常数", .unit = Unit::None, .defaultValue = d.epsR, .field = &Inputs::epsR},
                {.label = "工作频率",
                 .unit = Unit::Hertz,
                 .defaultValue = d.frequency,
                 .field = &Inputs::frequency},
                {.label = "电阻率",
                 .unit = Unit::OhmMetre,
                 .defaultValue = d.resistivity,
                 .field = &Inputs::resistivity},
                {.label = "损耗角正切值",
                 .unit = Unit::None,
                 .maximum = 0.999999999999999,
                 .defaultValue = d.tanDelta,
                 .field = &Inputs::tanDelta},
            },
        .layout = electricalLayout,
    };
}

// Page 2 (dialog 101): the four dimension rows the maker gives.
template <typename Inputs> frame::BoxTable<Inputs> dimensionsPage(std::vector<frame::BoxRow<Inputs>> rows) {
    return {.templateId = 101,
            .caption = "导线尺寸",
            .width = 184,
            .height = 88,
            .rows = std::move(rows),
            .layout = dimensionsLayout};
}

} // namespace rf
