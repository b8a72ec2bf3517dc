#include "knn.h"
#include "knn_dialog.h"
#include "parameter_dialog.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kolven {
namespace {

TEST(ParameterDialog, CreateModeEnablesOkOnlyWhileBothCountsHoldText)
{
    ParameterDialog dialog(ParameterDialogMode::Create);
    EXPECT_FALSE(dialog.okEnabled());
    dialog.setFieldText(ParameterField::Objects, "3");
    EXPECT_FALSE(dialog.okEnabled());
    dialog.setFieldText(ParameterField::Attributes, "2");
    EXPECT_TRUE(dialog.okEnabled());
    dialog.setFieldText(ParameterField::Attributes, "");
    EXPECT_FALSE(dialog.okEnabled());
    // The emptied field keeps what it last parsed.
    EXPECT_EQ(dialog.attributes(), 2u);
    dialog.setFieldText(ParameterField::Attributes, "0");
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_EQ(dialog.attributes(), 0u);
    // The hidden range fields do not count, and cannot be typed into.
    dialog.setFieldText(ParameterField::Minimum, "");
    EXPECT_TRUE(dialog.okEnabled());
}

TEST(ParameterDialog, GenerateModeNeedsAllFourFields)
{
    ParameterDialog dialog(ParameterDialogMode::Generate);
    dialog.setFieldText(ParameterField::Objects, "5");
    dialog.setFieldText(ParameterField::Attributes, "2");
    dialog.setFieldText(ParameterField::Minimum, "-2.7");
    EXPECT_FALSE(dialog.okEnabled());
    dialog.setFieldText(ParameterField::Maximum, "3.9");
    EXPECT_TRUE(dialog.okEnabled());
    EXPECT_FLOAT_EQ(dialog.minimum(), -2.7f);
    EXPECT_FLOAT_EQ(dialog.maximum(), 3.9f);
    dialog.setFieldText(ParameterField::Minimum, "");
    EXPECT_FALSE(dialog.okEnabled());
}

TEST(ParameterDialog, RefusesZeroObjects)
{
    for (auto mode : {ParameterDialogMode::Create, ParameterDialogMode::Generate}) {
        ParameterDialog dialog(mode);
        for (auto field : {ParameterField::Objects, ParameterField::Attributes, ParameterField::Minimum,
                           ParameterField::Maximum}) {
            dialog.setFieldText(field, "1");
        }
        dialog.setFieldText(ParameterField::Objects, "000");
        EXPECT_FALSE(dialog.okEnabled());
        dialog.accept();
        EXPECT_FALSE(dialog.accepted());
    }
}

TEST(ParameterDialog, ReadsCountsLikeStrtolFromTheFirstTenCharacters)
{
    EXPECT_EQ(countFromFieldText("42"), 42u);
    EXPECT_EQ(countFromFieldText("12abc"), 12u);
    EXPECT_EQ(countFromFieldText("abc"), 0u);
    EXPECT_EQ(countFromFieldText("2147483647"), 2147483647u);
    EXPECT_EQ(countFromFieldText("4294967296"), 2147483647u);
    EXPECT_EQ(countFromFieldText("9999999999"), 2147483647u);
    // Eleven digits: only the first ten are read.
    EXPECT_EQ(countFromFieldText("12345678901"), 1234567890u);
    EXPECT_EQ(countFromFieldText("-5"), 0u);
}

TEST(ParameterDialog, ReadsTheRangeLikeAtof)
{
    EXPECT_FLOAT_EQ(valueFromFieldText("2.5abc"), 2.5f);
    EXPECT_FLOAT_EQ(valueFromFieldText("abc"), 0.0f);
    EXPECT_FLOAT_EQ(valueFromFieldText("2,5"), 2.0f);
    EXPECT_FLOAT_EQ(valueFromFieldText(" -1e1"), -10.0f);
    EXPECT_TRUE(std::isinf(valueFromFieldText("1e39")));
    // The tenth character is the last one read.
    EXPECT_FLOAT_EQ(valueFromFieldText("1234567.8912"), 1234567.89f);
}

TEST(KnnDialog, ZeroBecomesOneInTheFieldAndInK)
{
    kNNv1 knn;
    KnnDialog dialog(knn);
    EXPECT_FALSE(dialog.okEnabled());
    EXPECT_TRUE(dialog.setFieldText("0"));
    EXPECT_EQ(dialog.fieldText(), "1");
    EXPECT_EQ(dialog.kEntered(), 1u);
    EXPECT_TRUE(dialog.okEnabled());
    dialog.accept();
    EXPECT_EQ(knn.k, 1u);
}

TEST(KnnDialog, TypedKIsStoredOnlyOnOk)
{
    kNNv1 knn;
    KnnDialog cancelled(knn);
    EXPECT_FALSE(cancelled.setFieldText("7"));
    cancelled.cancel();
    EXPECT_EQ(knn.k, 2u);

    KnnDialog emptied(knn);
    emptied.setFieldText("7");
    emptied.setFieldText("");
    EXPECT_FALSE(emptied.okEnabled());
    emptied.accept();
    EXPECT_FALSE(emptied.accepted());
    EXPECT_EQ(knn.k, 2u);

    KnnDialog confirmed(knn);
    confirmed.setFieldText("99999999999");
    confirmed.accept();
    EXPECT_EQ(knn.k, 2147483647u);
}

} // namespace
} // namespace kolven
