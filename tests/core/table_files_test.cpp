#include "table_files.h"
#include "table_formats.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <charconv>
#include <chrono>
#include <csignal>
#include <clocale>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kolven {
namespace {

using testing::fileBytes;

// A file read a few bytes at a time, so that blocks end everywhere a line ends, reads as its whole
// text: accepted or refused alike, with the same values and the same count of words.
void expectBlocksReadAsWhole(const std::string& text)
{
    testing::TempFolder folder;
    const auto path = folder.write("blocks.tab", text);
    SystemDecyzyjny whole;
    whole.installValues(1, 1, {9, 9});
    std::uint64_t wholeWords = 0;
    const bool accepted = parseTab(text, whole, &wholeWords);
    for (const std::size_t blockSize : {1, 2, 5, 64}) {
        SystemDecyzyjny table;
        table.installValues(1, 1, {9, 9});
        std::uint64_t words = 0;
        InputReader input;
        ASSERT_EQ(input.open(path), InputProblem::None);
        EXPECT_EQ(readTabInput(input, table, &words, blockSize), accepted) << blockSize << ": " << text;
        EXPECT_EQ(table.values, whole.values) << blockSize << ": " << text;
        EXPECT_EQ(table.attributeCount, whole.attributeCount) << blockSize << ": " << text;
        EXPECT_EQ(words, wholeWords) << blockSize << ": " << text;
    }
}

TEST(TabReader, ReadsTheTextsItAccepts)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<float> values;
        std::uint64_t nonNumeric = 0; // values without a leading number, read as 0 but counted
    };
    std::vector<Case> cases{
        {"the example", "// two objects\nATTRIBUTES 3\nOBJECTS 2\n1 2 0\n3.5 4 1\n", {1, 2, 0, 3.5f, 4, 1}},
        {"anything before the keywords and after the values is ignored",
         "title 12 %c ATTRIBUTES\n// c\nATTRIBUTES 2 junk OBJECTS 1 7 8 9 10 extra\n", {7, 8}},
        {"a keyword is a whole token", "ATTRIBUTES 2 OBJECTS3 OBJECTS 1 1 2\n", {1, 2}},
        {"a comment may end the file", "ATTRIBUTES 1 OBJECTS 1 5 //end", {5}},
        {"// ends a token and comments out the rest of its line", "ATTRIBUTES 3 OBJECTS 1 1//a b\n2e0//c d\n3\n", {1, 2, 3}},
        {"% starts a comment only at a token's start", "ATTRIBUTES 2 OBJECTS 1 %1 2\n3 4%\n", {3, 4}},
        {"a carriage return does not end a comment", "ATTRIBUTES 2 OBJECTS 1 // c\r 9 9\n5 6\n", {5, 6}},
        {"counts like atol, values like atof", "ATTRIBUTES 2.7 OBJECTS 1 abc -2.5e1\n", {0, -25}, 1},
        {"words and signs alone are counted, not what follows the values",
         "ATTRIBUTES 2 OBJECTS 2 abc 2 yes -\n%x 5\n", {0, 2, 0, 0}, 3},
        {"atof stops at a comma", "ATTRIBUTES 2 OBJECTS 1 2,5 +.5\n", {2, 0.5f}},
        {"atof without hexadecimals", "ATTRIBUTES 2 OBJECTS 1 1e 0x10\n", {1, 0}},
        {"underflow gives 0", "ATTRIBUTES 1 OBJECTS 1 1e-999\n", {0}},
        {"bytes outside the token range separate", "ATTRIBUTES{2}OBJECTS\xA0" "1|4~5\x7F", {4, 5}},
    };
    std::setlocale(LC_ALL, "pl_PL.UTF-8"); // values are read in the C locale whatever the user's
    cases.push_back({"a decimal point in a locale with a decimal comma", "ATTRIBUTES 1 OBJECTS 1 3.25\n", {3.25f}});
    for (const Case& c : cases) {
        SystemDecyzyjny table;
        std::uint64_t nonNumeric = 99;
        EXPECT_TRUE(parseTab(c.text, table, &nonNumeric)) << c.what;
        EXPECT_EQ(table.values, c.values) << c.what;
        EXPECT_EQ(nonNumeric, c.nonNumeric) << c.what;
        expectBlocksReadAsWhole(c.text);
    }
    std::setlocale(LC_ALL, "C");
}

TEST(TabReader, RefusesCorruptTextsChangingNothing)
{
    const std::vector<std::string> refused{
        "ATTRIBUTES 2 OBJECTS 1 1 2", // no line break after the last value
        "attributes 2 OBJECTS 1 1 2\n", "ATTRIBUTES2 OBJECTS 1 1 2\n", "OBJECTS 1 ATTRIBUTES 2 1 2\n",
        "ATTRIBUTES %3\n2 OBJECTS 1 1 2\n", std::string("A\0T\0T\0R\0I\0B\0U\0T\0E\0S\0 \0001\0\n\0", 26),
        // too few values, and counts that are zero, negative, absurd or missing
        "ATTRIBUTES 2 OBJECTS 2 1 2 3\n", "ATTRIBUTES 0 OBJECTS 2 1 2 3\n", "ATTRIBUTES 2 OBJECTS 0 1 2 3\n",
        "ATTRIBUTES -2 OBJECTS 1 1 2 3\n", "ATTRIBUTES 2 OBJECTS 2000000000 1 2 3\n",
        "ATTRIBUTES 99999999999999999999 OBJECTS 2 1 2 3\n", "ATTRIBUTES 2 OBJECTS\n", "",
        // values that are not finite, or not finite in single precision
        "ATTRIBUTES 2 OBJECTS 1 nan 1\n", "ATTRIBUTES 2 OBJECTS 1 1 inf\n", "ATTRIBUTES 2 OBJECTS 1 -infinity 1\n",
        "ATTRIBUTES 2 OBJECTS 1 1e39 1\n", "ATTRIBUTES 2 OBJECTS 1 1e999 1\n", "ATTRIBUTES 2 OBJECTS 1 1 -1e999\n",
    };
    for (const std::string& text : refused) {
        SystemDecyzyjny table;
        table.installValues(1, 1, {9, 9});
        EXPECT_FALSE(parseTab(text, table)) << text;
        EXPECT_EQ(table.values, (std::vector<float>{9, 9})) << text;
        expectBlocksReadAsWhole(text);
    }
}

// The bytes of a .msd file: the two counts, then the values, little-endian.
std::string msdFile(std::uint32_t objects, std::uint32_t attributes, const std::vector<float>& values)
{
    std::string bytes(reinterpret_cast<const char*>(&objects), 4);
    bytes.append(reinterpret_cast<const char*>(&attributes), 4);
    return bytes.append(reinterpret_cast<const char*>(values.data()), values.size() * 4);
}

// A number read by the quick path for plain decimals is the double from_chars reads, bit for
// bit, and takes as many characters: random decimals of every length, and the edges where the
// quick path must give way (19 digits, 2^53, a 23rd decimal, an exponent, a second point).
TEST(TabReader, ReadsEveryPlainDecimalExactlyAsTheGeneralParser)
{
    std::vector<std::string> tokens = {"9007199254740991", "9007199254740993", "1234567890123456789", "12345678901234567890",
                                       "0.1234567890123456789012", "0.12345678901234567890123", "1.5e3", "1.5E-3", "2.5.1",
                                       "7.", "3,5", "0000000000000000000001", "1e400", "-0", "0.000"};
    std::mt19937_64 random(5);
    for (int i = 0; i < 200000; ++i) {
        std::string token = std::to_string(random() >> (random() % 64));
        if (random() % 2 != 0) {
            token.insert(random() % token.size(), ".");
        }
        tokens.push_back(token);
    }
    for (const std::string& token : tokens) {
        for (const std::string& signed_ : {token, "-" + token}) {
            const NumberScan scan = scanNumber(signed_);
            double expected = 0;
            const auto result = std::from_chars(signed_.data(), signed_.data() + signed_.size(), expected);
            if (result.ec == std::errc()) {
                EXPECT_EQ(std::memcmp(&scan.value, &expected, sizeof expected), 0) << signed_;
                EXPECT_EQ(scan.length, std::size_t(result.ptr - signed_.data())) << signed_;
            }
        }
    }
}

// The reader's own pass over plain decimals in a whole text gives each value the general path
// (the token alone through scanNumber) gives: random numbers among other tokens, separators and
// comments, so that numbers meet every neighbour and every distance from the end of the text.
TEST(TabReader, ReadsTheValuesOfARandomTextAsTheGeneralPath)
{
    const std::vector<std::string> others = {"1.5e3", "-2E-2", "abc", "-", "+-1", "1.2.3", "12a", "7.", ".5", "+.5", "-0",
                                             "3,5", "0x1A", "12345678901234567890", "0.12345678901234567890123",
                                             "99999999.99999999", "123456789.12345678"};
    const std::vector<std::string> separators = {" ", "\t", "\n", "\r\n", "  ", " // note 1 2\n", "\n%7 8\n", "\x7f", "~", "{", "\xc3\xb3"};
    std::mt19937_64 random(11);
    for (int round = 0; round < 300; ++round) {
        const std::size_t count = 1 + random() % 400;
        std::string text = "ATTRIBUTES 1\nOBJECTS " + std::to_string(count) + "\n";
        std::vector<float> expected;
        for (std::size_t i = 0; i < count; ++i) {
            std::string token;
            if (random() % 5 == 0) {
                token = others[random() % others.size()];
            } else {
                token = std::to_string(random() >> (random() % 64));
                if (random() % 2 != 0) {
                    token.insert(random() % token.size(), ".");
                }
                token = (random() % 4 == 0 ? "-" : "") + token;
            }
            expected.push_back(static_cast<float>(scanNumber(token).value));
            text += token + separators[random() % separators.size()];
        }
        SystemDecyzyjny table;
        ASSERT_TRUE(parseTab(text, table)) << text;
        ASSERT_EQ(table.values.size(), count);
        EXPECT_EQ(std::memcmp(table.values.data(), expected.data(), count * sizeof(float)), 0) << text;
        if (round % 10 == 0) {
            expectBlocksReadAsWhole(text);
        }
    }
}

TEST(MsdFile, WritesAndReadsBackTheMatrixAndRefusesBadLengthsAndValuesThatAreNotFinite)
{
    testing::TempFolder folder;
    SystemDecyzyjny table;
    table.installValues(2, 1, {1.0f, 0.0f, -2.5f, 1.0f});
    ASSERT_TRUE(writeMsd(folder / "t.msd", table));
    EXPECT_EQ(fileBytes(folder / "t.msd"), msdFile(2, 1, {1.0f, 0.0f, -2.5f, 1.0f}));

    // A real table goes through .msd unchanged, whatever the case of the extension.
    ASSERT_TRUE(readTab(testing::dataFile("iris.tab"), table));
    ASSERT_TRUE(writeMsd(folder / "a.MSD", table));
    SystemDecyzyjny again;
    EXPECT_TRUE(readTable(folder / "a.MSD", again));
    EXPECT_EQ(again.values, table.values);
    EXPECT_EQ(again.attributeCount, table.attributeCount);
    EXPECT_FALSE(writeMsd(folder / "no-such-folder/t.msd", table));
    EXPECT_FALSE(std::filesystem::exists(folder / "no-such-folder/t.msd"));

    // Lengths other than the counts give, absurd counts and values that are not finite.
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();
    for (const auto& [name, bytes] : {std::pair<std::string, std::string>{"short", msdFile(2, 1, {1, 2, 3})},
                                      {"long", msdFile(1, 1, {1, 2, 3})}, {"absurd", msdFile(4294967295u, 4294967295u, {1})},
                                      {"empty", msdFile(0, 3, {})}, {"tiny", "abc"}, {"nan", msdFile(1, 1, {1, nan})},
                                      {"inf", msdFile(1, 1, {-infinity, 1})}}) {
        table.installValues(1, 0, {5});
        EXPECT_FALSE(readMsd(folder.write(name + ".msd", bytes), table)) << name;
        EXPECT_EQ(table.values, std::vector<float>{5}) << name;
    }
    EXPECT_FALSE(readMsd(folder / "missing.msd", table));
}

TEST(TableFiles, ChooseTheFormatByTheExtensionIgnoringCase)
{
    using enum TableFormat;
    for (const auto& [path, format] : {std::pair{"a/b.msd", Msd}, {"b.MSD", Msd}, {"b.MsDx", Msd}, {"b.tab", Tab},
                                       {"b.txt", Tab}, {"b.ms", Tab}, {"msd", Tab}, {"x.tab.csv", Csv}, {"x.csvx", Tab},
                                       {"t.Arff", Arff}}) {
        EXPECT_EQ(tableFormat(path), format) << path;
    }
}

#ifndef _WIN32
// A table read from a stream (a FIFO here; standard input is read the same way) comes whole, over
// many reads and as many growths of the buffer, as the same text read from a regular file.
TEST(TableFiles, ReadAStreamWholeAsAFile)
{
    testing::TempFolder folder;
    std::string text = "ATTRIBUTES 3\nOBJECTS 20000\n";
    for (int o = 0; o < 20000; ++o) {
        text += std::to_string(o % 97) + " " + std::to_string(o % 13) + ".25 " + std::to_string(o % 2) + "\n";
    }
    SystemDecyzyjny fromFile;
    ASSERT_TRUE(readTable(folder.write("file.tab", text), fromFile));
    const auto fifo = folder / "stream.tab";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // The writer waits for the reader at most ten seconds, and a reader that stops early fails
    // its write rather than ending the test with a signal.
    std::signal(SIGPIPE, SIG_IGN);
    std::thread writer([&] {
        int fd = -1;
        for (int tries = 0; fd < 0 && tries < 1000; ++tries) {
            fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
            if (fd < 0) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
        }
        if (fd < 0) {
            return;
        }
        fcntl(fd, F_SETFL, 0);
        for (std::size_t sent = 0; sent < text.size();) {
            const ssize_t put = write(fd, text.data() + sent, text.size() - sent);
            if (put <= 0) {
                break;
            }
            sent += std::size_t(put);
        }
        close(fd);
    });
    SystemDecyzyjny fromStream;
    const bool read = readTable(fifo, fromStream);
    writer.join();
    ASSERT_TRUE(read);
    EXPECT_EQ(fromStream.values, fromFile.values);
    EXPECT_EQ(fromStream.objectCount, 20000u);
}
#endif

} // namespace
} // namespace kolven
