#include "lists/IdFlags.h"

#include <gtest/gtest.h>

namespace {

TEST(IdFlagsTest, DenseAndSparseIdsKeepTheirFlags) {
    for (const std::vector<qint32>& ids :
         {std::vector<qint32>{3, 1, 2, 7}, std::vector<qint32>{5, 2000000000, -4}}) {
        for (bool initial : {false, true}) {
            CIdFlags flags(ids, initial);
            for (qint32 id : ids)
                EXPECT_EQ(flags.value(id), initial);
            flags.set(ids[1], !initial);
            flags.set(123456, !initial);  // not in the result: ignored
            EXPECT_EQ(flags.value(ids[1]), !initial);
            EXPECT_EQ(flags.value(ids[0]), initial);
            EXPECT_EQ(flags.value(ids[2]), initial);
        }
    }
}

}  // namespace
