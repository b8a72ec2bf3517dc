#include "csv_reader.h"
#include "missing_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

namespace kolven {
namespace {

// a is numeric (?, NA and NaN missing: mean 3, mode 4), b nominal (one empty: mode x = 0).
constexpr std::string_view kTrain = "a,b,d\n1,x,p\n?,y,q\n4,,p\n4,x,p\nNaN,x,q\nNA,y,p\n";

SystemDecyzyjny readKept(std::string_view text, TableNames& names, MissingNumbers& missing)
{
    SystemDecyzyjny table;
    ReadRefusal refusal;
    EXPECT_TRUE(parseCsv(text, {}, table, names, refusal, 0, &missing, true)) << refusal.what;
    return table;
}

TEST(MissingValues, ReadersRefuseOrKeepAndEachTreatmentCompletesFromTheTrainingTable)
{
    SystemDecyzyjny refused;
    TableNames names;
    ReadRefusal refusal;
    MissingNumbers missing;
    EXPECT_FALSE(parseCsv(kTrain, {}, refused, names, refusal, 0, &missing));
    // The empty nominal value is no missing number.
    EXPECT_EQ(std::tuple(refusal.line, missing.firstColumn, missing.inFirstColumn, missing.total), std::tuple(3U, "a", 3U, 3U));
    // In a nominal column NA and NaN are words; only ? and an empty field are missing.
    EXPECT_EQ(readKept("b,d\nNA,p\n?,q\nNaN,p\n", names, missing).values, (std::vector<float>{0, 0, -1, 1, 1, 0}));

    const std::vector<std::pair<MissingTreatment, std::vector<float>>> cases{
        {MissingTreatment::Mean, {1, 0, 0, 3, 1, 1, 4, 0, 0, 4, 0, 0, 3, 0, 1, 3, 1, 0}},
        {MissingTreatment::Mode, {1, 0, 0, 4, 1, 1, 4, 0, 0, 4, 0, 0, 4, 0, 1, 4, 1, 0}},
        {MissingTreatment::Drop, {1, 0, 0, 4, 0, 0}},
    };
    for (const auto& [treatment, expected] : cases) {
        TableNames trainNames;
        SystemDecyzyjny train = readKept(kTrain, trainNames, missing);
        MissingFill fill;
        EXPECT_FALSE(fill.fit(train, trainNames, treatment));
        fill.apply(train, trainNames);
        EXPECT_EQ(train.values, expected) << missingTreatmentName(treatment);

        // The test table's own mean and mode (100) must not be what completes it.
        TableNames testNames;
        SystemDecyzyjny test = readKept("a,b,d\n?,x,p\n100,,q\n100,x,p\n", testNames, missing);
        fill.apply(test, testNames);
        const bool drop = treatment == MissingTreatment::Drop;
        EXPECT_EQ(test.values, (drop ? std::vector<float>{100, 0, 0} : std::vector<float>{expected[3], 0, 0, 100, 0, 1, 100, 0, 0}));
    }

    // A numeric decision takes the most common value even under mean (no new class), the smallest
    // of equally common ones; a column with no value at all cannot be completed.
    SystemDecyzyjny numeric = readKept("a,d\n1,1\n3,?\n5,3\n", names, missing);
    MissingFill fill;
    EXPECT_FALSE(fill.fit(numeric, names, MissingTreatment::Mean));
    fill.apply(numeric, names);
    EXPECT_EQ(numeric.decision(1), 1.0f);
    numeric.installValues(2, 1, {std::nanf(""), 0, std::nanf(""), 1});
    EXPECT_NE(fill.fit(numeric, names, MissingTreatment::Mean).value_or("").find("\"a\""), std::string::npos);
}

} // namespace
} // namespace kolven
