#include "knn.h"
#include "knn_dialog.h"
#include "parameter_dialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace kolven {
namespace {

TEST(ParameterDialog, EnablesOkOnlyWhileEveryShownFieldHoldsTextAndObjectsAreNotZero)
{
    using enum ParameterField;
    ParameterDialog create(ParameterDialogMode::Create);
    // Typed in turn; the range fields are hidden. A disabled OK says why only when the count of
    // objects is the cause: an empty field needs no explanation.
    const std::string zeroObjects = "Liczba obiektow musi byc wieksza od zera.";
    const struct {
        ParameterField field;
        const char* text;
        bool enabled;
        std::string reason;
    } steps[] = {{Objects, "3", false, ""},   {Attributes, "2", true, ""},        {Attributes, "", false, ""},
                 {Attributes, "0", true, ""}, {Minimum, "", true, ""},            {Objects, "000", false, zeroObjects},
                 {Attributes, "", false, ""}};
    for (const auto& step : steps) {
        create.setFieldText(step.field, step.text);
        EXPECT_EQ(create.okEnabled(), step.enabled) << int(step.field) << " " << step.text;
        EXPECT_EQ(create.okDisabledReason(), step.reason) << int(step.field) << " " << step.text;
    }
    EXPECT_EQ(create.attributes(), 0u);
    create.accept();
    EXPECT_FALSE(create.accepted()) << "OK is ignored while disabled";

    ParameterDialog generate(ParameterDialogMode::Generate);
    for (auto [field, text] : {std::pair{Objects, "5"}, {Attributes, "2"}, {Minimum, "-2.7"}}) {
        generate.setFieldText(field, text);
    }
    EXPECT_FALSE(generate.okEnabled());
    generate.setFieldText(Maximum, "3.9");
    EXPECT_TRUE(generate.okEnabled());
}

TEST(ParameterDialog, ReadsCountsLikeStrtolAndTheRangeLikeAtofFromTheFirstTenCharacters)
{
    for (auto [text, count] : {std::pair{"42", 42u}, {"12abc", 12u}, {"abc", 0u}, {"-5", 0u}, {"2147483647", 2147483647u},
                               {"4294967296", 2147483647u}, {"12345678901", 1234567890u}}) {
        EXPECT_EQ(countFromFieldText(text), count) << text;
    }
    for (auto [text, value] : {std::pair{"2.5abc", 2.5f}, {"abc", 0.0f}, {"2,5", 2.0f}, {" -1e1", -10.0f},
                               {"1234567.8912", 1234567.89f}}) {
        EXPECT_FLOAT_EQ(valueFromFieldText(text), value) << text;
    }
    EXPECT_TRUE(std::isinf(valueFromFieldText("1e39")));
}

TEST(KnnDialog, ZeroBecomesOneAndTypedKIsStoredOnlyOnOk)
{
    kNNv1 knn;
    // Types the texts in turn, shows the field, then presses OK or ANULUJ; returns k afterwards.
    const auto run = [&knn](std::vector<std::string> texts, bool ok, std::string shown) {
        KnnDialog dialog(knn);
        EXPECT_FALSE(dialog.okEnabled());
        for (const std::string& text : texts) {
            dialog.setFieldText(text);
        }
        EXPECT_EQ(dialog.fieldText(), shown);
        ok ? dialog.accept() : dialog.cancel();
        return knn.k;
    };
    EXPECT_EQ(run({"7"}, false, "7"), 2u);
    EXPECT_EQ(run({"7", ""}, true, ""), 2u) << "OK is ignored while the field is empty";
    EXPECT_EQ(run({"0"}, true, "1"), 1u);
    EXPECT_EQ(run({"99999999999"}, true, "99999999999"), 2147483647u);
}

} // namespace
} // namespace kolven
