#include "table_files.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <string>

namespace kolven {
namespace {

using testing::fileBytes;

// The bytes of a .msd file: the two counts, then the values, little-endian.
std::string msdFile(std::uint32_t objects, std::uint32_t attributes, const std::vector<float>& values)
{
    std::string bytes(8 + values.size() * 4, '\0');
    std::memcpy(bytes.data(), &objects, 4);
    std::memcpy(bytes.data() + 4, &attributes, 4);
    if (!values.empty()) {
        std::memcpy(bytes.data() + 8, values.data(), values.size() * 4);
    }
    return bytes;
}

TEST(MsdFile, WritesCountsThenTheMatrixAndReadsItBackByteForByte)
{
    testing::TempFolder folder;
    SystemDecyzyjny table;
    table.installValues(2, 1, {1.0f, 0.0f, -2.5f, 1.0f});
    ASSERT_TRUE(writeMsd(folder / "t.msd", table));
    EXPECT_EQ(fileBytes(folder / "t.msd"), std::string("\x02\0\0\0\x01\0\0\0" "\0\0\x80\x3f" "\0\0\0\0"
                                                       "\0\0\x20\xc0" "\0\0\x80\x3f", 24));

    ASSERT_TRUE(readTab(testing::dataFile("iris.tab"), table));
    ASSERT_TRUE(writeMsd(folder / "a.msd", table));
    SystemDecyzyjny again;
    EXPECT_TRUE(readTable(folder / "a.msd", again));
    ASSERT_TRUE(writeMsd(folder / "b.MSD", again));
    EXPECT_EQ(fileBytes(folder / "a.msd"), fileBytes(folder / "b.MSD"));
    EXPECT_TRUE(readTable(folder / "b.MSD", again)) << "upper-case extension reads as .msd";
    EXPECT_EQ(again.values, table.values);
}

// Each file is refused and leaves the table it was read into as it was.
void expectRefused(const std::filesystem::path& path)
{
    SystemDecyzyjny table;
    table.installValues(1, 0, {5});
    EXPECT_FALSE(readMsd(path, table)) << path;
    EXPECT_EQ(table.values, std::vector<float>{5}) << path;
}

TEST(MsdFile, RefusesFilesWhoseLengthDoesNotMatchTheCounts)
{
    testing::TempFolder folder;
    expectRefused(folder.write("short.msd", msdFile(2, 1, {1, 2, 3})));
    expectRefused(folder.write("long.msd", msdFile(1, 1, {1, 2, 3})));
    expectRefused(folder.write("absurd.msd", msdFile(4294967295u, 4294967295u, {1})));
    expectRefused(folder.write("empty.msd", msdFile(0, 3, {})));
    expectRefused(folder.write("tiny.msd", "abc"));
    expectRefused(folder / "missing.msd");
}

TEST(MsdFile, RefusesValuesThatAreNotFinite)
{
    testing::TempFolder folder;
    expectRefused(folder.write("nan.msd", msdFile(1, 1, {1, std::numeric_limits<float>::quiet_NaN()})));
    expectRefused(folder.write("inf.msd", msdFile(1, 1, {-std::numeric_limits<float>::infinity(), 1})));
}

TEST(MsdFile, AFileThatCannotBeWrittenIsReportedAndLeftAbsent)
{
    testing::TempFolder folder;
    SystemDecyzyjny table;
    table.installValues(1, 0, {5});
    EXPECT_FALSE(writeMsd(folder / "no-such-folder/t.msd", table));
    EXPECT_FALSE(std::filesystem::exists(folder / "no-such-folder/t.msd"));
}

} // namespace
} // namespace kolven
