#include "cli_run.h"

#include <gtest/gtest.h>

namespace kolven {
namespace {

using testing::CliRun;
using testing::fileBytes;
using testing::run;

using CliMissing = testing::CliTest;

// Without --missing the refusal names the column, the count and the options; with it, convert
// writes the completed table, which reads back to itself, and info and cv say what was done.
TEST_F(CliMissing, RefusesWithoutATreatmentAndWritesWhatItReadsBack)
{
    const std::string arff = write("m.arff", "@relation r\n@attribute a numeric\n@attribute b {x,y}\n"
                                             "@attribute d {p,q}\n@data\n1,x,p\n?,y,q\n2,?,p\nNaN,x,q\n");
    const CliRun refused = run({"convert", arff, "-o", file("out.csv")});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("\"a\" ma 2 brakujacych wartosci (w calej tabeli 2); wybierz --missing mean"), std::string::npos);

    ASSERT_EQ(run({"convert", arff, "--missing", "mean", "-o", file("out.csv")}).code, 0);
    EXPECT_EQ(fileBytes(file("out.csv")), "a,b,d\r\n1,x,p\r\n1.5,y,q\r\n2,x,p\r\n1.5,x,q\r\n");
    ASSERT_EQ(run({"convert", file("out.csv"), "-o", file("again.csv")}).code, 0);
    EXPECT_EQ(fileBytes(file("again.csv")), fileBytes(file("out.csv")));

    EXPECT_NE(run({"info", arff, "--missing", "drop"}).out.find("braki: usuniete obiekty z brakami, 3"), std::string::npos);
}

// cv completes each fold's test part with its training part's values: the second fold's test part
// gets the mean of 1, 2, 20 and the mode x, where its own would be 35 and y; the folds written
// are those completed parts. A column whose only value is in the test part is refused.
TEST_F(CliMissing, CrossValidationCompletesEachTestPartFromItsTrainingPart)
{
    const std::string table = write("t.csv", "a,b,d\n1,x,p\n2,x,p\n?,y,p\n20,y,q\n30,?,q\n40,y,q\n");
    const CliRun r = run({"cv", table, "--method", "knn", "--folds", "2", "--seed", "1", "--missing", "mean",
                          "--folds-dir", file("folds")});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("ziarno 1, braki: uzupelnione srednia (dla nominalnych moda) z czesci uczacej kazdej czesci, 2 wartosci\r\n"),
              std::string::npos) << r.out;
    ASSERT_EQ(run({"convert", file("folds/fold2-test.msd"), "-o", file("test.csv")}).code, 0);
    EXPECT_EQ(fileBytes(file("test.csv")), "a1,a2,d\r\n7.6666665,1,0\r\n30,0,1\r\n40,1,1\r\n");

    const std::string lone = write("lone.csv", "a,d\n1,p\n?,p\n?,q\n?,q\n");
    const CliRun refused = run({"cv", lone, "--method", "knn", "--folds", "2", "--seed", "1", "--missing", "mode"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("\"a\" nie ma zadnej wartosci, z ktorej mozna uzupelnic braki w czesci uczacej"),
              std::string::npos) << refused.err;
}

// A test table's missing word is the training table's most common word, numbered as the training
// table numbers it, whatever order the test table's own words come in.
TEST_F(CliMissing, CompletesTheTestTableWithTheTrainingTablesValues)
{
    const std::string train = write("train.csv", "b,d\nx,p\nx,p\ny,q\n");
    const std::string test = write("test.csv", "b,d\ny,q\ny,q\n,p\n");
    const CliRun r = run({"knn", train, test, "--missing", "mode"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("Ilosc obiektow poprawnie sklasyfikowanych: 3"), std::string::npos) << r.out;
}

} // namespace
} // namespace kolven
