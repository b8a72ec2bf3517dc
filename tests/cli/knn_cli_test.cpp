#include "cli.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace kolven {
namespace {

struct CliRun {
    int code;
    std::string out;
    std::string err;
};

CliRun run(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
}

std::string data(const std::string& name)
{
    return std::string(KOLVEN_TEST_DATA) + "/" + name;
}

// What follows the time line, which changes from run to run.
std::string afterTimeLine(const std::string& report)
{
    const std::string head = "Czas wykonania zadania: ";
    EXPECT_EQ(report.substr(0, head.size()), head);
    const auto end = report.find("s\r\n");
    return end == std::string::npos ? report : report.substr(end + 3);
}

class KnnCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kolven-knn-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
        // Classes 1 and 2 of three objects each on one attribute.
        write("train.tab", "ATTRIBUTES 2 OBJECTS 6\n0 1\n1 1\n2 1\n10 2\n11 2\n12 2\n");
        write("test.tab", "ATTRIBUTES 2 OBJECTS 3\n1 1\n11 2\n6 1\n");
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    void write(const std::string& name, const std::string& text) const { std::ofstream(file(name)) << text; }

    std::filesystem::path folder_;
};

TEST_F(KnnCli, ClassifiesWithTwoNeighboursUnlessTold)
{
    CliRun r = run({"knn", file("train.tab"), file("test.tab")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(afterTimeLine(r.out), "Parametr k = 2\r\n"
                                    "Ilosc obiektow systemu testowego: 3\r\n"
                                    "Ilosc obiektow chwyconych: 2\r\n"
                                    "Ilosc obiektow poprawnie sklasyfikowanych: 2\r\n"
                                    "Total accuracy: 1.000\r\n"
                                    "Total coverage: 0.667\r\n");

    r = run({"knn", file("train.tab"), file("test.tab"), "-k", "0"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(afterTimeLine(r.out).substr(0, 16), "Parametr k = 1\r\n");

    r = run({"knn", file("train.tab"), file("test.tab"), "-k", "9"});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(afterTimeLine(r.out).substr(0, 16), "Parametr k = 3\r\n") << "lowered to the smallest class";
}

TEST_F(KnnCli, WritesTheSameBytesToAFile)
{
    const CliRun toStdout = run({"knn", file("train.tab"), file("test.tab"), "-k", "1"});
    const CliRun toFile = run({"knn", file("train.tab"), file("test.tab"), "-k", "1", "-o", file("out.txt")});
    ASSERT_EQ(toFile.code, kExitOk) << toFile.err;
    EXPECT_TRUE(toFile.out.empty());
    std::ifstream in(file("out.txt"), std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(afterTimeLine(written), afterTimeLine(toStdout.out));
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 7);
}

TEST_F(KnnCli, RefusesTablesWithDifferentAttributeCounts)
{
    write("wide.tab", "ATTRIBUTES 3 OBJECTS 1\n1 1 1\n");
    const CliRun r = run({"knn", file("train.tab"), file("wide.tab"), "-o", file("out.txt")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("System testowy ma inna liczbe atrybutow warunkowych niz system decyzyjny."), std::string::npos)
        << r.err;
    EXPECT_FALSE(std::filesystem::exists(file("out.txt")));
}

TEST_F(KnnCli, ClassifiesTheBundledSegmentTables)
{
    const CliRun r = run({"knn", data("segment-challenge.tab"), data("segment-test.tab")});
    ASSERT_EQ(r.code, kExitOk) << r.err;
    EXPECT_EQ(afterTimeLine(r.out), "Parametr k = 2\r\n"
                                    "Ilosc obiektow systemu testowego: 810\r\n"
                                    "Ilosc obiektow chwyconych: 810\r\n"
                                    "Ilosc obiektow poprawnie sklasyfikowanych: 771\r\n"
                                    "Total accuracy: 0.952\r\n"
                                    "Total coverage: 1.000\r\n");
}

} // namespace
} // namespace kolven
