// The MOSFET maker's box counts and its two preset sets (N-channel and P-channel), one column per
// box of each page. Shared by the sheet and by the tests that check the extraction against them.
#pragma once

#include <array>

namespace brannock {

enum Polarity : int { kNmos = 0, kPmos = 1 };

inline constexpr const char* kChannelNames[2] = {"NMOS", "PMOS"};
// The preset name is also the model name on the .MODEL line.
inline constexpr const char* kPresetNames[2] = {"Mosfet_MODEL_BS250", "Mosfet_MODEL_BSS83"};

inline constexpr int kGeneralCount = 19;
inline constexpr int kTransferCount = 9;
inline constexpr int kOptionCCount = 15;
inline constexpr int kCapacitanceCount = 16;

// Page 1: maximum current, the ohmic point, then three saturation curves of (Vgs, Ids low, Vds low,
// Ids high, Vds high).
inline constexpr std::array<std::array<double, kGeneralCount>, 2> kGeneralPresets{{
    {0.05, 4.5, 0.027, 1.3, 2, 0.005, 2, 0.01, 10, 3, 0.02, 3, 0.027, 9, 4.5, 0.04, 3, 0.047, 6},
    {-0.18, -10, -0.3, -2, -1.8, -0.0005, -0.8, -0.00052, -2, -2.2, -0.00028, -1.2, -0.00029, -2, -2.6,
     -0.008, -1.2, -0.0087, -2},
}};

// Page 2: option A (boxes 0 … 3) and option B (boxes 4 … 8).
inline constexpr std::array<std::array<double, kTransferCount>, 2> kTransferPresets{{
    {0.001, 1.6, 0.01, 2.4, 10, 0.01, 2, 0.031, 3},
    {0.001, 1.6, 0.01, 2.4, -15, -0.02, -2.5, -0.08, -3.6},
}};

// Page 3: three transfer curves of (Vsb, Ids low, Vgs low, Ids high, Vgs high); currents positive only.
// The same for both channel types.
inline constexpr std::array<double, kOptionCCount> kOptionCPreset{
    0, 0.001, 1.6, 0.01, 2.4, -4, 0.001, 2, 0.01, 2.75, -12, 0.001, 2.25, 0.01, 3};

// Page 4: Crss, Ciss, Coss, Vdb, then four curve points of (V, Crs, Cos).
inline constexpr std::array<std::array<double, kCapacitanceCount>, 2> kCapacitancePresets{{
    {6e-13, 1.5e-12, 1e-12, 25, 0, 1e-12, 1e-12, 0, 1e-12, 1e-12, 0, 1e-12, 1e-12, 0, 1e-12, 1e-12},
    {3e-12, 1.5e-11, 1e-11, -25, 0, 3e-11, 5e-11, -7, 1e-11, 2.4e-11, -10, 7e-12, 2e-11, -25, 4e-12, 1.1e-11},
}};

} // namespace brannock
