#include "table_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <string>

namespace kolven {
namespace {

const std::string kExample = "// two objects\nATTRIBUTES 3\nOBJECTS 2\n1 2 0\n3.5 4 1\n";

// A table already holding one object, so that a refused text can be seen to change nothing.
SystemDecyzyjny previousTable()
{
    SystemDecyzyjny table;
    table.installValues(1, 1, {9, 9});
    return table;
}

void expectRefused(const std::string& text)
{
    SystemDecyzyjny table = previousTable();
    EXPECT_FALSE(parseTab(text, table)) << text;
    EXPECT_EQ(table.objectCount, 1u) << text;
    EXPECT_EQ(table.values, (std::vector<float>{9, 9})) << text;
}

std::vector<float> valuesOf(const std::string& text)
{
    SystemDecyzyjny table;
    EXPECT_TRUE(parseTab(text, table)) << text;
    return table.values;
}

TEST(TabReader, ReadsTheExampleTable)
{
    SystemDecyzyjny table;
    ASSERT_TRUE(parseTab(kExample, table));
    EXPECT_EQ(table.objectCount, 2u);
    EXPECT_EQ(table.attributeCount, 2u);
    EXPECT_EQ(table.values, (std::vector<float>{1, 2, 0, 3.5f, 4, 1}));
}

TEST(TabReader, RejectsFileWithoutFinalLineBreak)
{
    expectRefused(kExample.substr(0, kExample.size() - 1));
    EXPECT_EQ(valuesOf("ATTRIBUTES 1 OBJECTS 1 5 //end").size(), 1u) << "a comment may end the file";
}

TEST(TabReader, IgnoresEverythingBeforeTheKeywordsAndAfterTheValues)
{
    EXPECT_EQ(valuesOf("title words 12 %comment ATTRIBUTES\n// c\nATTRIBUTES 2 junk OBJECTS 1 7 8 9 10 extra\n"),
              (std::vector<float>{7, 8}));
}

TEST(TabReader, MatchesKeywordsOnlyInFullAndExactCase)
{
    expectRefused("attributes 2 OBJECTS 1 1 2\n");
    expectRefused("ATTRIBUTES2 OBJECTS 1 1 2\n");
    expectRefused("OBJECTS 1 ATTRIBUTES 2 1 2\n");
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS3 OBJECTS 1 1 2\n").size(), 2u);
}

TEST(TabReader, CommentsFollowTheirOwnRules)
{
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 1//note\n2\n"), (std::vector<float>{1, 2}));
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 %1 2\n3 4\n"), (std::vector<float>{3, 4}));
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 1 2%\n"), (std::vector<float>{1, 2})) << "% inside a token is a character";
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 // c\r 9 9\n5 6\n"), (std::vector<float>{5, 6}))
        << "a carriage return does not end a comment";
    expectRefused("ATTRIBUTES %3\n2 OBJECTS 1 1 2\n");
}

TEST(TabReader, ReadsCountsLikeAtolAndValuesLikeAtof)
{
    EXPECT_EQ(valuesOf("ATTRIBUTES 2.7 OBJECTS 1 abc -2.5e1\n"), (std::vector<float>{0, -25}));
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 2,5 +.5\n"), (std::vector<float>{2, 0.5f}));
    EXPECT_EQ(valuesOf("ATTRIBUTES 2 OBJECTS 1 1e 0x10\n"), (std::vector<float>{1, 0}));
    EXPECT_EQ(valuesOf("ATTRIBUTES 1 OBJECTS 1 1e-999\n"), (std::vector<float>{0}));
}

TEST(TabReader, ReadsValuesInTheCLocaleWhateverTheUserLocale)
{
    std::setlocale(LC_ALL, "pl_PL.UTF-8");
    EXPECT_EQ(valuesOf("ATTRIBUTES 1 OBJECTS 1 3.25\n"), (std::vector<float>{3.25f}));
    std::setlocale(LC_ALL, "C");
}

TEST(TabReader, RoundsValuesThroughDoubleToFloat)
{
    EXPECT_EQ(valuesOf("ATTRIBUTES 1 OBJECTS 1 0.1\n"), (std::vector<float>{float(0.1)}));
}

TEST(TabReader, RefusesTooFewValuesAndAbsurdCounts)
{
    expectRefused("ATTRIBUTES 2 OBJECTS 2 1 2 3\n");
    expectRefused("ATTRIBUTES 0 OBJECTS 2 1 2 3\n");
    expectRefused("ATTRIBUTES 2 OBJECTS 0 1 2 3\n");
    expectRefused("ATTRIBUTES -2 OBJECTS 1 1 2 3\n");
    expectRefused("ATTRIBUTES 2 OBJECTS 2000000000 1 2 3\n");
    expectRefused("ATTRIBUTES 99999999999999999999 OBJECTS 2 1 2 3\n");
    expectRefused("ATTRIBUTES 2 OBJECTS\n");
    expectRefused("");
}

TEST(TabReader, RefusesValuesThatAreNotFinite)
{
    expectRefused("ATTRIBUTES 2 OBJECTS 1 nan 1\n");
    expectRefused("ATTRIBUTES 2 OBJECTS 1 1 inf\n");
    expectRefused("ATTRIBUTES 2 OBJECTS 1 -infinity 1\n");
    expectRefused("ATTRIBUTES 2 OBJECTS 1 1e39 1\n");
}

TEST(TabReader, TreatsBytesOutsideTheTokenRangeAsSeparators)
{
    EXPECT_EQ(valuesOf("ATTRIBUTES{2}OBJECTS\xA0" "1|4~5\x7F"), (std::vector<float>{4, 5}));
    // UTF-16 text never shows the keyword as one token.
    const std::string wide("A\0T\0T\0R\0I\0B\0U\0T\0E\0S\0 \0001\0\n\0", 26);
    expectRefused(wide);
}

TEST(TabReader, ScansTokensAsSpecified)
{
    const std::string text = "  // c\n ab//x\ncd";
    const char* begin = text.data();
    const char* end = begin + text.size();
    const char* start = findTokenStart(begin, end);
    EXPECT_EQ(start - begin, 8);
    EXPECT_EQ(tokenLength(start, end), 2u);
    const char* last = findTokenStart(start + 2, end);
    EXPECT_EQ(last - begin, 14);
    EXPECT_EQ(tokenLength(last, end), 0u) << "a token that runs to the end has no length";
    EXPECT_EQ(findTokenStart(end - 0, end), end);
}

TEST(TableFiles, ChoosesTheReaderByTheExtensionIgnoringCase)
{
    EXPECT_TRUE(isMsdPath("a/b.msd"));
    EXPECT_TRUE(isMsdPath("b.MSD"));
    EXPECT_TRUE(isMsdPath("b.MsDx"));
    EXPECT_FALSE(isMsdPath("b.tab"));
    EXPECT_FALSE(isMsdPath("b.txt"));
    EXPECT_FALSE(isMsdPath("b.ms"));
    EXPECT_FALSE(isMsdPath("msd"));
}

TEST(TableFiles, ReadsTheBundledTables)
{
    struct Expected {
        const char* name;
        std::uint32_t objects;
        std::uint32_t attributes;
    };
    for (const Expected& e : {Expected{"iris.tab", 150, 4}, Expected{"breast-cancer.tab", 286, 9},
                              Expected{"segment-challenge.tab", 1500, 19}, Expected{"weather.nominal.tab", 14, 4}}) {
        SystemDecyzyjny table;
        ASSERT_TRUE(readTable(std::string(KOLVEN_TEST_DATA) + "/" + e.name, table)) << e.name;
        EXPECT_EQ(table.objectCount, e.objects) << e.name;
        EXPECT_EQ(table.attributeCount, e.attributes) << e.name;
    }
    SystemDecyzyjny table;
    EXPECT_FALSE(readTable(std::string(KOLVEN_TEST_DATA) + "/no-such-file.tab", table));
}

} // namespace
} // namespace kolven
