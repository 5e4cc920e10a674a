// The unit kinds of the value box, typed. The integer API of the box (get_unit_string_name,
// ResetUnitName) keeps the numbers the makers were written against; these are those numbers by name.
#pragma once

enum class Unit : int {
    None = 0,
    Hertz = 1,
    Volt = 2,
    Ampere = 3,
    Ohm = 4,
    Farad = 5,
    Henry = 6,
    Second = 7,
    Impedance = 9, // also shown as Ω; the lossy line's characteristic impedance
    Decibel = 10,
    Degree = 12,
    OhmMetre = 21,
    Metre = 26,
    SquareMetre = 27,
    Foot = 30,
    DecibelPer100Foot = 35,
    VoltPerMillivolt = 36,
    VoltPerMicrosecond = 37,
};

constexpr int unitKind(Unit u) {
    return static_cast<int>(u);
}
