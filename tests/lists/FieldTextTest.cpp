#include "lists/FieldText.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDateTime>

namespace {

TEST(FieldTextTest, NullsAreTheWordNull) {
    EXPECT_EQ(VariantToText(QVariant(), false), QStringLiteral("NULL"));
    EXPECT_EQ(VariantToText(QVariant(QMetaType::fromType<QDateTime>()), true),
              QStringLiteral("NULL"));
    EXPECT_EQ(VariantToText(QVariant(QMetaType::fromType<QString>()), false),
              QStringLiteral("NULL"));
    EXPECT_EQ(VariantToText(QVariant(QString()), false), QString());
}

TEST(FieldTextTest, Numbers) {
    EXPECT_EQ(VariantToText(QVariant(0), false), QStringLiteral("0"));
    EXPECT_EQ(VariantToText(QVariant(-2147483647 - 1), false), QStringLiteral("-2147483648"));
    EXPECT_EQ(VariantToText(QVariant::fromValue<qint16>(-12), false), QStringLiteral("-12"));
    EXPECT_EQ(VariantToText(QVariant::fromValue<qint64>(100000), false), QStringLiteral("100000"));
    EXPECT_EQ(VariantToText(QVariant(1.5), false), QStringLiteral("1.500000e+00"));
    EXPECT_EQ(VariantToText(QVariant(-0.25f), false), QStringLiteral("-2.500000e-01"));
    EXPECT_EQ(VariantToText(QVariant::fromValue<uchar>(10), false), QStringLiteral("0x0A"));
    EXPECT_EQ(VariantToText(QVariant::fromValue<uchar>(255), false), QStringLiteral("0xFF"));
}

TEST(FieldTextTest, DatesShowTheDateOrWithTheTimeFlagTheTimeOfDay) {
    const QDateTime moment(QDate(2024, 3, 5), QTime(7, 8, 9));
    EXPECT_EQ(VariantToText(QVariant(moment), false), QStringLiteral("2024/03/05"));
    EXPECT_EQ(VariantToText(QVariant(moment), true), QStringLiteral("07:08:09"));
    EXPECT_EQ(VariantToText(QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59))), true),
              QStringLiteral("23:59:59"));
    EXPECT_EQ(VariantToText(QVariant(QDate(987, 1, 2)), false), QStringLiteral("0987/01/02"));
    EXPECT_EQ(VariantToText(QVariant(QDate(2024, 3, 5)), true), QStringLiteral("00:00:00"));
    EXPECT_EQ(VariantToText(QVariant(QTime(14, 30, 0)), false), QStringLiteral("14:30:00"));
}

TEST(FieldTextTest, TextsBooleansAndOtherTypes) {
    EXPECT_EQ(VariantToText(QVariant(QStringLiteral("O'Brien, 50% off")), false),
              QStringLiteral("O'Brien, 50% off"));
    EXPECT_EQ(VariantToText(QVariant(true), false), QStringLiteral("TRUE"));
    EXPECT_EQ(VariantToText(QVariant(false), true), QStringLiteral("FALSE"));
    EXPECT_EQ(VariantToText(QVariant(QByteArray("blob")), false), QStringLiteral("Fish"));
    EXPECT_EQ(VariantToText(QVariant(42u), false), QStringLiteral("Fish"));
}

}  // namespace
