// The editor's resource module: its dialog templates (dialogs and dialog bars) and strings.
#pragma once

#include "platform/resources.h"

namespace lumbra {

inline constexpr unsigned IDS_APP_TITLE = 1;
inline constexpr unsigned IDS_SAVE_CHANGES = 2;
inline constexpr unsigned IDS_UNTITLED = 3;

// Registered on first use.
const ResourceModule& lumbraResources();

} // namespace lumbra
