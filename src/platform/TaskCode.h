#pragma once

// The codes of background tasks, under "targeted" in a task dictionary.
namespace TaskCode {
inline constexpr int openPackage = 101;
inline constexpr int savePackage = 202;
inline constexpr int importFile = 240;
inline constexpr int writeListFile = 242;
inline constexpr int readListFile = 243;
inline constexpr int search = 244;
inline constexpr int retitleColumns = 264;
inline constexpr int markAllRows = 710;
inline constexpr int exportRows = 715;
} // namespace TaskCode
