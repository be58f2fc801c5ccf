#pragma once

#include <array>

// The status of an alarm, which is also its repetition rule. The alarm form lists the texts
// in code order, so a list position is a code.
namespace alarmstatus {

inline constexpr int Done = 0;
inline constexpr int Pending = 1;
inline constexpr int Disabled = 2;
inline constexpr int EveryDay = 3;
inline constexpr int EveryMonth = 4;
inline constexpr int EveryYear = 5;

// The string ids of the texts of codes 0 to 5.
inline constexpr std::array<int, 6> kTextIds{60028, 60029, 60030, 60033, 60032, 60031};

// Every code but "Done" and "Disabled" is watched, also one outside 0 to 5.
constexpr bool isWatched(int status) {
    return status != Done && status != Disabled;
}

}  // namespace alarmstatus
