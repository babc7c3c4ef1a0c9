// The application's identity: the values from which start-up and the hub build
// their ApplicationInfo records. The Windows version resource and the desktop
// entry repeat them (see resources/).
#pragma once

namespace Identity {
inline constexpr char versionText[] = "0.9.2";
inline constexpr char organizationName[] = "Halvorn";
inline constexpr char applicationName[] = "Quintavo";
inline constexpr char copyright[] = "Copyright (C) 2026 Halvorn. All rights reserved.";
inline constexpr char description[] = "Video selection utility for Orvik Media Players";
} // namespace Identity
