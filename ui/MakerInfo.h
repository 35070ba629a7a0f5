#pragma once

#include "ProgramInfo.h"

// Who made the program, as the version window shows it.
namespace MakerInfo {

inline constexpr const char* kName = "Quillon";
inline constexpr const char* kHomePage = ProgramInfo::kHomePage;
inline constexpr const char* kProducedBy = "Produced by Quillon";
inline constexpr const char* kRightsReserved = "Copyright © Quillon";

} // namespace MakerInfo
