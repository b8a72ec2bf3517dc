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
    EXPECT_NE(run({"cv", arff, "--missing", "mode", "--method", "knn"}).err.find("uzyj --missing drop"), std::string::npos);
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
