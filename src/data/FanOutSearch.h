#pragma once

#include <QtGlobal>
#include <algorithm>
#include <optional>
#include <span>
#include <vector>

// How many elements a search over a server's rows reads in one statement: a round trip
// costs far more than the rows.
inline constexpr qsizetype kServerRowsPerRound = 31;

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
    std::vector<qsizetype> places;
    while (low < high) {
        const qsizetype range = high - low;
        const qsizetype count = std::clamp<qsizetype>(perRound, 1, range);
        places.clear();
        for (qsizetype i = 1; i <= count; ++i)
            places.push_back(low + i * range / (count + 1));
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
