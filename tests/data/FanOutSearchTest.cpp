#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "data/FanOutSearch.h"

// Against the standard library's search, over sorted values with runs of equal ones, for
// every size up to 300, each sought value (and those between and beyond them), and reads of
// one, two and many elements a round. The rounds are also counted: as few as the fan-out
// promises, and no element read twice within a search.
TEST(FanOutSearch, FindsTheFirstPlaceNotBeforeInFewRounds) {
    std::mt19937 random(7);
    for (qsizetype size = 0; size <= 300; ++size) {
        std::vector<int> values(std::size_t(size), 0);
        for (int& value : values)
            value = int(random() % 40) * 2;  // even, so that odd ones fall between
        std::sort(values.begin(), values.end());
        for (const qsizetype perRound : {1, 2, 31}) {
            for (int sought = -1; sought <= 81; ++sought) {
                int rounds = 0;
                std::vector<bool> read(values.size(), false);
                bool readTwice = false;
                const std::optional<qsizetype> place = fanOutSearch(
                    size, perRound,
                    [&](std::span<const qsizetype> places) {
                        ++rounds;
                        EXPECT_LE(qsizetype(places.size()), perRound);
                        for (const qsizetype at : places) {
                            readTwice = readTwice || read[std::size_t(at)];
                            read[std::size_t(at)] = true;
                        }
                        return true;
                    },
                    [&](qsizetype at) {
                        EXPECT_TRUE(read[std::size_t(at)]);
                        return values[std::size_t(at)] < sought;
                    });
                const auto expected =
                    std::lower_bound(values.begin(), values.end(), sought) - values.begin();
                ASSERT_EQ(place, expected) << size << " " << perRound << " " << sought;
                EXPECT_FALSE(readTwice);
                const double most =
                    std::ceil(std::log(double(size) + 1) / std::log(double(perRound) + 1));
                EXPECT_LE(rounds, int(most) + 1) << size << " " << perRound;
            }
        }
    }
}

TEST(FanOutSearch, AFailedReadEndsTheSearchWithoutAPlace) {
    int rounds = 0;
    const auto place = fanOutSearch(
        1000, 31, [&](std::span<const qsizetype>) { return ++rounds < 2; },
        [](qsizetype at) { return at < 500; });
    EXPECT_FALSE(place);
    EXPECT_EQ(rounds, 2);
}

// The first round reads the places fanOutPlaces names, which a caller may read ahead with a
// read of its own (a changed row's key with them).
TEST(FanOutSearch, TheFirstRoundReadsThePlacesNamedAhead) {
    for (const qsizetype size : {1, 2, 31, 32, 33, 1000, 100000}) {
        const std::vector<qsizetype> ahead = fanOutPlaces(0, size, kServerRowsPerRound);
        EXPECT_EQ(qsizetype(ahead.size()), std::min<qsizetype>(size, kServerRowsPerRound));
        int rounds = 0;
        const std::optional<qsizetype> place = fanOutSearch(
            size, kServerRowsPerRound,
            [&](std::span<const qsizetype> places) {
                if (++rounds == 1) {
                    EXPECT_TRUE(
                        std::equal(places.begin(), places.end(), ahead.begin(), ahead.end()))
                        << size;
                }
                return true;
            },
            [&](qsizetype at) { return at < size / 3; });
        EXPECT_EQ(place, size / 3);
    }
    EXPECT_TRUE(fanOutPlaces(5, 5, kServerRowsPerRound).empty());
}
