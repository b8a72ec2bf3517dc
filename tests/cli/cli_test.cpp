#include "cli.h"

#include "table_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace kolven {
namespace {

// Runs kolven-cli in process and keeps what it printed.
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

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kolven-cli-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string file(const std::string& name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(CliTest, ConvertWritesTheTableAsMsd)
{
    const CliRun r = run({"convert", data("two-objects.tab"), "-o", file("t.msd")});
    EXPECT_EQ(r.code, kExitOk) << r.err;
    SystemDecyzyjny table;
    ASSERT_TRUE(readMsd(file("t.msd"), table));
    EXPECT_EQ(table.values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));
}

TEST_F(CliTest, InfoShowsTheSizeAndTheDecisionClasses)
{
    const CliRun r = run({"info", data("weather.nominal.tab")});
    EXPECT_EQ(r.code, kExitOk);
    EXPECT_EQ(r.out, "Liczba obiektow: 14\n"
                     "Liczba atrybutow warunkowych: 4\n"
                     "Liczba klas decyzyjnych: 2\n"
                     "  (d=0.000): 9\n"
                     "  (d=1.000): 5\n");
}

TEST_F(CliTest, GenerateWithASeedIsReproducible)
{
    ASSERT_EQ(run({"generate", "5", "3", "0", "4", "--seed", "42", "-o", file("a.msd")}).code, kExitOk);
    ASSERT_EQ(run({"generate", "5", "3", "0", "4", "--seed", "42", "-o", file("b.msd")}).code, kExitOk);
    SystemDecyzyjny a;
    SystemDecyzyjny b;
    ASSERT_TRUE(readMsd(file("a.msd"), a));
    ASSERT_TRUE(readMsd(file("b.msd"), b));
    EXPECT_EQ(a.objectCount, 5u);
    EXPECT_EQ(a.attributeCount, 3u);
    EXPECT_EQ(a.values, b.values);
}

TEST_F(CliTest, RefusedOperationsExitOneAndLeaveNoFile)
{
    CliRun r = run({"generate", "0", "3", "0", "4", "-o", file("g.msd")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("Liczba obiektow"), std::string::npos);
    r = run({"generate", "3", "3", "5", "4", "-o", file("g.msd")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_FALSE(std::filesystem::exists(file("g.msd")));

    r = run({"generate", "2147483647", "2147483647", "0", "1", "-o", file("g.msd")});
    EXPECT_EQ(r.code, kExitFailed) << "a table too large for memory is refused";
    EXPECT_FALSE(std::filesystem::exists(file("g.msd")));

    r = run({"convert", data("two-objects.tab"), "-o", file("missing-folder/t.msd")});
    EXPECT_EQ(r.code, kExitFailed);

    std::ofstream(file("huge.tab")) << "ATTRIBUTES 3\nOBJECTS 2000000000\n1 2 3\n";
    r = run({"convert", file("huge.tab"), "-o", file("huge.msd")});
    EXPECT_EQ(r.code, kExitFailed) << "counts asking for more than the file holds are refused before allocating";
    EXPECT_NE(r.err.find("Plik jest uszkodzony!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(file("huge.msd")));
}

TEST_F(CliTest, AnUnreadableTableIsNamedAsCorrupt)
{
    std::ofstream(file("bad.tab")) << "ATTRIBUTES 2 OBJECTS 2 1 2 3\n";
    for (const std::string command : {"info", "convert", "exhaustive", "lem2"}) {
        std::vector<std::string> args{command, file("bad.tab")};
        if (command == "convert") {
            args.insert(args.end(), {"-o", file("out.msd")});
        }
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitFailed) << command;
        EXPECT_NE(r.err.find("bad.tab: Plik jest uszkodzony!"), std::string::npos) << command << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(file("out.msd")));
    const CliRun r = run({"knn", data("iris.tab"), file("nothing.tab")});
    EXPECT_EQ(r.code, kExitFailed);
    EXPECT_NE(r.err.find("nothing.tab: Plik jest uszkodzony!"), std::string::npos);
}

TEST_F(CliTest, UsageErrorsExitTwoWithTheUsage)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"convert", data("iris.tab")}, {"generate", "x", "1", "0", "1", "-o", file("g.msd")},
             {"knn", data("iris.tab")}, {"info", data("iris.tab"), "--bogus"}}) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_NE(r.err.find("Usage"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    const CliRun help = run({"--help"});
    EXPECT_EQ(help.code, kExitOk);
    EXPECT_NE(help.out.find("exhaustive"), std::string::npos);
}

} // namespace
} // namespace kolven
