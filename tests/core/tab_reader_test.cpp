#include "table_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

namespace kolven {
namespace {

std::vector<float> valuesOf(const std::string& text)
{
    SystemDecyzyjny table;
    EXPECT_TRUE(parseTab(text, table)) << text;
    return table.values;
}

TEST(TabReader, ReadsTheTextsItAccepts)
{
    struct Case {
        const char* what;
        std::string text;
        std::vector<float> values;
    };
    const std::vector<Case> cases{
        {"the example", "// two objects\nATTRIBUTES 3\nOBJECTS 2\n1 2 0\n3.5 4 1\n", {1, 2, 0, 3.5f, 4, 1}},
        {"anything before the keywords and after the values is ignored",
         "title 12 %c ATTRIBUTES\n// c\nATTRIBUTES 2 junk OBJECTS 1 7 8 9 10 extra\n", {7, 8}},
        {"a keyword is a whole token", "ATTRIBUTES 2 OBJECTS3 OBJECTS 1 1 2\n", {1, 2}},
        {"a comment may end the file", "ATTRIBUTES 1 OBJECTS 1 5 //end", {5}},
        {"// ends a token", "ATTRIBUTES 2 OBJECTS 1 1//note\n2\n", {1, 2}},
        {"% starts a comment only at a token's start", "ATTRIBUTES 2 OBJECTS 1 %1 2\n3 4%\n", {3, 4}},
        {"a carriage return does not end a comment", "ATTRIBUTES 2 OBJECTS 1 // c\r 9 9\n5 6\n", {5, 6}},
        {"counts like atol, values like atof", "ATTRIBUTES 2.7 OBJECTS 1 abc -2.5e1\n", {0, -25}},
        {"atof stops at a comma", "ATTRIBUTES 2 OBJECTS 1 2,5 +.5\n", {2, 0.5f}},
        {"atof without hexadecimals", "ATTRIBUTES 2 OBJECTS 1 1e 0x10\n", {1, 0}},
        {"underflow gives 0", "ATTRIBUTES 1 OBJECTS 1 1e-999\n", {0}},
        {"bytes outside the token range separate", "ATTRIBUTES{2}OBJECTS\xA0" "1|4~5\x7F", {4, 5}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(valuesOf(c.text), c.values) << c.what;
    }
    std::setlocale(LC_ALL, "pl_PL.UTF-8");
    EXPECT_EQ(valuesOf("ATTRIBUTES 1 OBJECTS 1 3.25\n"), (std::vector<float>{3.25f})) << "values in the C locale";
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
        // values that are not finite
        "ATTRIBUTES 2 OBJECTS 1 nan 1\n", "ATTRIBUTES 2 OBJECTS 1 1 inf\n", "ATTRIBUTES 2 OBJECTS 1 -infinity 1\n",
        "ATTRIBUTES 2 OBJECTS 1 1e39 1\n",
    };
    for (const std::string& text : refused) {
        SystemDecyzyjny table;
        table.installValues(1, 1, {9, 9});
        EXPECT_FALSE(parseTab(text, table)) << text;
        EXPECT_EQ(table.values, (std::vector<float>{9, 9})) << text;
    }
}

TEST(TableFiles, ChoosesTheReaderByTheExtensionIgnoringCase)
{
    for (const char* path : {"a/b.msd", "b.MSD", "b.MsDx"}) {
        EXPECT_TRUE(isMsdPath(path)) << path;
    }
    for (const char* path : {"b.tab", "b.txt", "b.ms", "msd"}) {
        EXPECT_FALSE(isMsdPath(path)) << path;
    }
}

} // namespace
} // namespace kolven
