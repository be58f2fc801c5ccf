#pragma once

#include <QtGlobal>
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

// How many elements a search over a server's rows reads in one statement: a round trip
// costs far more than a few rows. (More rows a round save rounds, but each row adds to the
// statement's cost: on a local server two rounds of some 300 rows took longer than four of
// 31.)
inline constexpr qsizetype kServerRowsPerRound = 31;

// The places a round of fanOutSearch reads in the range [low, high): up to `perRound` evenly
// spaced ones. A caller may read the first round's (low 0, high the size) together with a
// read of its own, and the search then finds them read.
inline std::vector<qsizetype> fanOutPlaces(qsizetype low, qsizetype high, qsizetype perRound) {
    std::vector<qsizetype> places;
    const qsizetype range = high - low;
    if (range <= 0)
        return places;
    const qsizetype count = std::clamp<qsizetype>(perRound, 1, range);
    places.reserve(std::size_t(count));
    for (qsizetype i = 1; i <= count; ++i)
        places.push_back(low + i * range / (count + 1));
    return places;
}

// The first place in a sorted sequence of `size` elements whose element does not come
// before the one sought, for elements known only by reading them. Each round reads up to
// `perRound` evenly spaced elements together, which a server answers in one round trip, and
// narrows the search to the gap between two of them: a million rows take four rounds of 31
// reads instead of twenty single reads. With one per round it is a binary search.
//
// `read(places)` reads the elements at `places` and returns false when one of them cannot
// be read; `before(place)` says whether the element at a place read comes before the one
// sought. Nothing is returned when a read failed.
template <class Read, class Before>
std::optional<qsizetype> fanOutSearch(qsizetype size, qsizetype perRound, Read read,
                                      Before before) {
    qsizetype low = 0;
    qsizetype high = size;
    while (low < high) {
        const std::vector<qsizetype> places = fanOutPlaces(low, high, perRound);
        if (!read(std::span<const qsizetype>(places)))
            return std::nullopt;
        qsizetype nextLow = low;
        qsizetype nextHigh = high;
        for (const qsizetype place : places) {
            if (!before(place)) {
                nextHigh = place;
                break;
            }
            nextLow = place + 1;
        }
        low = nextLow;
        high = nextHigh;
    }
    return low;
}
