#pragma once

#include <QString>

namespace duplicates {

// Why two records probably are one, strongest first.
enum class MatchReason {
    SameName,
    SwappedNames,
    SameEmail,
    SamePhone,
};
inline constexpr int kMatchReasons = 4;

// A set of reasons, one bit each.
using MatchReasons = unsigned;
inline constexpr MatchReasons bitOf(MatchReason reason) {
    return 1u << static_cast<unsigned>(reason);
}

// "same name", "first and last name swapped", "same e-mail", "same phone".
QString reasonText(MatchReason reason);
// The reasons of the set, strongest first, joined by ", ".
QString reasonsText(MatchReasons reasons);
// The strongest reason of a non-empty set.
MatchReason strongestReason(MatchReasons reasons);

}  // namespace duplicates
