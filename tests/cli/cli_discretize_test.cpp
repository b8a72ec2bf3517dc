#include "cli_run.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kolven {
namespace {

using testing::data;
using testing::fileBytes;
using testing::lineStarting;
using testing::run;

using CliDiscretize = testing::CliTest;

// The cuts written with --cuts, applied to the table they came from, code it exactly as fitting
// did; a table with names has its numeric columns cut and its words kept; rules print intervals.
TEST_F(CliDiscretize, WritesCutsThatCodeAnotherTableAlikeAndRulesWithIntervals)
{
    const auto fitted = run({"discretize", data("iris.tab"), "--method", "md", "-o", file("fit.csv"), "--cuts", file("iris.cuts")});
    ASSERT_EQ(fitted.code, 0) << fitted.err;
    EXPECT_EQ(lineStarting(fitted.out, "a3"), "a3: 2.45 4.95");
    const auto applied = run({"discretize", data("iris.tab"), "--apply-cuts", file("iris.cuts"), "-o", file("applied.csv")});
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_EQ(fileBytes(file("applied.csv")), fileBytes(file("fit.csv")));
    EXPECT_NE(fileBytes(file("fit.csv")).find("\"(2.45;4.95]\""), std::string::npos);

    const std::string named = write("named.csv", "len,kind,class\n1,x,p\n2,y,p\n3,x,q\n4,y,q\n");
    const auto cut = run({"discretize", named, "--method", "md", "-o", file("named.msd")});
    EXPECT_EQ(lineStarting(cut.out, "a1"), "a1 len: 2.5");
    EXPECT_EQ(lineStarting(cut.out, "a2"), "");
    const auto rules = run({"lem2", named, "--discretize", "md"});
    EXPECT_NE(rules.out.find("(len=(-inf;2.5]) => (class=p) [2]"), std::string::npos) << rules.out;
}

// The raw folds --folds-dir writes, classified with --discretize, give cv's line of each fold:
// both fit the cuts on the fold's training part alone.
TEST_F(CliDiscretize, CvFoldsAreTheFoldsClassifyDiscretizesAlike)
{
    const auto cv = run({"cv", data("iris.tab"), "--method", "lem2", "--seed", "1", "--discretize", "entropy",
                         "--folds-dir", file("folds")});
    ASSERT_EQ(cv.code, 0) << cv.err;
    EXPECT_NE(cv.out.find("metoda lem2, dyskretyzacja entropy, ziarno 1"), std::string::npos);
    for (int fold = 1; fold <= 10; ++fold) {
        const std::string name = file("folds/fold" + std::to_string(fold));
        const auto one = run({"classify", name + "-train.msd", name + "-test.msd", "--rules", "lem2", "--discretize", "entropy"});
        const auto count = [&one](const std::string& prefix) { return lineStarting(one.out, prefix).substr(prefix.size()); };
        const std::string line = lineStarting(cv.out, "Czesc " + std::to_string(fold) + ":");
        EXPECT_NE(line.find("chwycone " + count("Ilosc obiektow chwyconych: ") + ", poprawne " +
                            count("Ilosc obiektow poprawnie sklasyfikowanych: ")),
                  std::string::npos)
            << line;
    }
}

} // namespace
} // namespace kolven
