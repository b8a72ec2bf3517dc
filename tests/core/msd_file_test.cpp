#include "table_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

namespace kolven {
namespace {

class MsdFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kolven-msd-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::filesystem::path file(const std::string& name) const { return folder_ / name; }

    static std::string bytesOf(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    static void writeRaw(const std::filesystem::path& path, std::uint32_t objects, std::uint32_t attributes,
                         const std::vector<float>& values)
    {
        std::string bytes(8 + values.size() * 4, '\0');
        std::memcpy(bytes.data(), &objects, 4);
        std::memcpy(bytes.data() + 4, &attributes, 4);
        if (!values.empty()) {
            std::memcpy(bytes.data() + 8, values.data(), values.size() * 4);
        }
        std::ofstream(path, std::ios::binary) << bytes;
    }

    void expectRefused(const std::filesystem::path& path)
    {
        SystemDecyzyjny table;
        table.installValues(1, 0, {5});
        EXPECT_FALSE(readMsd(path, table));
        EXPECT_EQ(table.values, std::vector<float>{5});
    }

    std::filesystem::path folder_;
};

TEST_F(MsdFile, WritesCountsThenTheMatrixLittleEndian)
{
    SystemDecyzyjny table;
    table.installValues(2, 1, {1.0f, 0.0f, -2.5f, 1.0f});
    ASSERT_TRUE(writeMsd(file("t.msd"), table));
    const std::string expected("\x02\0\0\0\x01\0\0\0"
                               "\0\0\x80\x3f" "\0\0\0\0" "\0\0\x20\xc0" "\0\0\x80\x3f",
                               24);
    EXPECT_EQ(bytesOf(file("t.msd")), expected);
}

TEST_F(MsdFile, LoadingAndSavingAgainGivesTheSameBytes)
{
    SystemDecyzyjny table;
    ASSERT_TRUE(readTab(std::string(KOLVEN_TEST_DATA) + "/iris.tab", table));
    ASSERT_TRUE(writeMsd(file("a.msd"), table));
    SystemDecyzyjny again;
    ASSERT_TRUE(readMsd(file("a.msd"), again));
    EXPECT_EQ(again.values, table.values);
    ASSERT_TRUE(writeMsd(file("b.MSD"), again));
    EXPECT_EQ(bytesOf(file("a.msd")), bytesOf(file("b.MSD")));
    SystemDecyzyjny third;
    EXPECT_TRUE(readTable(file("b.MSD"), third)) << "upper-case extension reads as .msd";
    EXPECT_EQ(third.objectCount, 150u);
}

TEST_F(MsdFile, RefusesFilesWhoseLengthDoesNotMatchTheCounts)
{
    writeRaw(file("short.msd"), 2, 1, {1, 2, 3});
    expectRefused(file("short.msd"));
    writeRaw(file("long.msd"), 1, 1, {1, 2, 3});
    expectRefused(file("long.msd"));
    writeRaw(file("absurd.msd"), 4294967295u, 4294967295u, {1});
    expectRefused(file("absurd.msd"));
    writeRaw(file("empty.msd"), 0, 3, {});
    expectRefused(file("empty.msd"));
    std::ofstream(file("tiny.msd"), std::ios::binary) << "abc";
    expectRefused(file("tiny.msd"));
    expectRefused(file("missing.msd"));
}

TEST_F(MsdFile, RefusesValuesThatAreNotFinite)
{
    writeRaw(file("nan.msd"), 1, 1, {1, std::numeric_limits<float>::quiet_NaN()});
    expectRefused(file("nan.msd"));
    writeRaw(file("inf.msd"), 1, 1, {-std::numeric_limits<float>::infinity(), 1});
    expectRefused(file("inf.msd"));
}

TEST_F(MsdFile, AFileThatCannotBeWrittenIsReportedAndLeftAbsent)
{
    SystemDecyzyjny table;
    table.installValues(1, 0, {5});
    EXPECT_FALSE(writeMsd(folder_ / "no-such-folder" / "t.msd", table));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "no-such-folder" / "t.msd"));
}

} // namespace
} // namespace kolven
