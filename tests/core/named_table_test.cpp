#include "arff_reader.h"
#include "csv_reader.h"
#include "csv_writer.h"
#include "table_files.h"
#include "table_formats.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace kolven {
namespace {

struct Read {
    bool ok;
    SystemDecyzyjny table;
    TableNames names;
    ReadRefusal refusal;
};

// Parses text into a table and names that already hold something: a refusal must leave them so.
Read parse(bool arff, const std::string& text, const std::string& decision = {})
{
    Read read{false, {}, {}, {}};
    read.table.installValues(1, 1, {9, 9});
    read.names.columns = {{"kept", false, {}}, {"d", false, {}}};
    read.ok = arff ? parseArff(text, decision, read.table, read.names, read.refusal)
                   : parseCsv(text, decision, read.table, read.names, read.refusal);
    return read;
}

// Column names, then each nominal column's labels, joined for a compact comparison.
std::string describe(const TableNames& names)
{
    std::string text;
    for (const NamedColumn& column : names.columns) {
        text += column.name + (column.nominal ? "{" : "#");
        for (const std::string& label : column.labels) {
            text += label + "|";
        }
        text += " ";
    }
    return text;
}

TEST(NamedTableReaders, ReadTheirGrammar)
{
    struct Case {
        const char* what;
        bool arff;
        std::string text;
        std::string decision;
        std::vector<float> values;
        std::string names;
        std::uint32_t attributes;
    };
    const std::vector<Case> cases{
        {"csv: numbers and words by first appearance, LF", false, "x,y,d\n1.5,b,no\n-2e1,a,yes\n3,b,no\n", "",
         {1.5f, 0, 0, -20, 1, 1, 3, 0, 0}, "x# y{b|a| d{no|yes| ", 2},
        {"csv: quotes, doubled quotes, a separator and a line break inside them, CR LF", false,
         "\"a,\"\"b\"\"\",d\r\n\"x,\ny\",1\r\n\"\"\"\",2\r\n", "", {0, 1, 1, 2}, "a,\"b\"{x,\ny|\"| d# ", 1},
        {"csv: ';' found from the header, blanks trimmed, BOM skipped, blank lines skipped", false,
         "\xEF\xBB\xBF" "a ; b\n\n 1,5 ; x \n2;y\n", "", {1.5f, 0, 2, 1}, "a# b{x|y| ", 1},
        {"csv: a tie of ',' and ';' goes to ';', decimal commas are numbers there", false,
         "cena (z\u0142, brutto);klasa\n1,5;tak\n2,5;nie\n", "", {1.5f, 0, 2.5f, 1}, "cena (z\u0142, brutto)# klasa{tak|nie| ", 1},
        {"csv: ',' separated: a quoted \"1,5\" stays a word", false, "a,b\n\"1,5\",x\n1.5,x\n", "",
         {0, 0, 1, 0}, "a{1,5|1.5| b{x| ", 1},
        {"csv: the separator every line uses evenly, not the header's most used", false, "p,q;r\n1;2\n3;4\n", "",
         {1, 2, 3, 4}, "p,q# r# ", 1},
        {"csv: tab separator, missing values -1 in nominal columns, quoted ? is a word", false,
         "a\tb\td\n?\t\"?\"\tu\n\tv\t\n", "", {-1, 0, 0, -1, 1, -1}, "a{ b{?|v| d{u| ", 2},
        {"csv: --decision puts the named column last", false, "p,q,r\n1,2,3\n4,5,6\n", "p", {2, 3, 1, 5, 6, 4},
         "q# r# p# ", 2},
        {"csv: an unnamed column is named by its place; one without name and values is dropped", false,
         ",v,\n1,2,\n", "", {1, 2}, "a1# v# ", 1},
        {"arff: comments, any case, quoted names and labels, declared order, missing", true,
         "% title\n@RELATION 'w x'\n\n@Attribute 'out look' {sunny, 'over,cast', rainy}\n"
         "@attribute t REAL\n@attribute \"p\\\"q\" {yes,no}\n@DATA\n% rows\n'over,cast', 1.25, no\nrainy,2,'yes'\n"
         " ? , -3 , no \n",
         "", {1, 1.25f, 1, 2, 2, 0, -1, -3, 1}, "out look{sunny|over,cast|rainy| t# p\"q{yes|no| ", 2},
        {"arff: a comment ending a data line, an instance weight ignored", true,
         "@relation r\n@attribute a {x,'y%'}\n@attribute b real\n@data\nx,1 % one\n'y%',2,{3}\n", "", {0, 1, 1, 2},
         "a{x|y%| b# ", 1},
        {"arff: integer and numeric, CR LF, --decision", true,
         "@relation r\r\n@attribute a integer\r\n@attribute b numeric\r\n@data\r\n1,2\r\n", "a", {2, 1}, "b# a# ", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Read read = parse(c.arff, c.text, c.decision);
        ASSERT_TRUE(read.ok) << read.refusal.line << ": " << read.refusal.what;
        EXPECT_EQ(read.table.values, c.values);
        EXPECT_EQ(read.table.attributeCount, c.attributes);
        EXPECT_EQ(describe(read.names), c.names);
    }
}

TEST(NamedTableReaders, RefuseNamingTheLineAndTheFaultChangingNothing)
{
    struct Case {
        bool arff;
        std::string text;
        std::uint64_t line;
        std::string what; // a part of the message
        std::string decision = {};
    };
    const std::vector<Case> cases{
        {false, "", 1, "brak wiersza z nazwami"},
        {false, "\xFF\xFE" "a\0,\0b\0", 1, "UTF-16"},
        {true, "\xFE\xFF\0@", 1, "UTF-16"},
        {false, "a,b\n", 1, "zadnego obiektu"},
        {false, "a,b\n1,2\n3\n", 3, "wiersz ma 1 pol, a wiersz nazw 2"},
        {false, "a,b\n\"x\ny\",1\n3\n", 4, "wiersz ma 1 pol"}, // the line after a quoted line break
        {false, "a,b\n1,2\n\"3,4\n", 3, "nie zostal zamkniety"},
        {false, "a,b\n1,\"2\"x\n", 2, "po cudzyslowie"},
        {false, "a,b\n1,2\n\n?,3\n", 4, "brak wartosci atrybutu liczbowego \"a\""},
        {false, "a,b\n1,2\n3,1e39\n", 3, "\"1e39\" atrybutu \"b\" nie jest skonczona"},
        {false, "a,b\n1,2\n", 1, "brak atrybutu decyzyjnego \"c\"", "c"},
        {false, "a b c\n1 2 3\n", 1, "tylko jedna kolumna przy separatorze \",\""},
        {true, "@relation r\n@attribute s string\n@data\n", 2, "typu string"},
        {true, "@relation r\n@attribute d DATE \"yyyy\"\n@data\n", 2, "typu date"},
        {true, "@relation r\n@attribute a numeric junk\n@data\n", 2, "tekst po typie atrybutu \"a\": \"junk\""},
        {true, "@relation r\n@attribute a {x,y} junk\n@data\n", 2, "tekst po liscie wartosci"},
        {true, std::string("\xFF\xFE\0\0@", 5), 1, "UTF-32"},
        {true, "@relation r\n@attribute a {x,y}\n@data\n{0 x}\n", 4, "dane rzadkie"},
        {true, "@relation r\n@attribute a {x,y}\n@data\nz\n", 4, "\"z\" nie nalezy do wartosci atrybutu \"a\""},
        {true, "@relation r\n@attribute a {x,y}\n@attribute b real\n@data\nx\n", 5, "wiersz ma 1 wartosci"},
        {true, "@relation r\n@attribute a {x,y}\n@attribute b real\n@data\nx,?\n", 5, "brak wartosci atrybutu liczbowego"},
        {true, "@relation r\n@attribute a real\n@data\nabc\n", 4, "\"abc\" atrybutu liczbowego \"a\" nie jest liczba"},
        {true, "@relation r\n@attribute a real\n@attribute b real\n@data\n1,1.5 2\n", 5, "\"1.5 2\" atrybutu liczbowego \"b\""},
        {true, "@relation r\n@attribute a {x,x}\n@data\n", 2, "dwa razy"},
        {true, "@relation r\n@attribute a {x,y\n@data\n", 2, "nie jest zamknieta"},
        {true, "@relation r\n@attribute a {x}\n", 2, "brak sekcji @data"},
        {true, "@relation r\n@attribute a {x}\n@data\n", 3, "zadnego obiektu"},
        {true, "@relation r\nx\n", 2, "oczekiwano @relation"},
        {true, "@relation r\n@attribute a {x}\n@data\n'x\n", 4, "nie zostal zamkniety"},
        // A binary file's bytes and a Latin-2 letter are quoted escaped, a long word cut short.
        {true, std::string("\x7F" "ELF\x02\x01\x01\0", 8) + std::string(60, 'x') + "\n", 1,
         "a jest \"\\x7FELF\\x02\\x01\\x01\\x00" + std::string(32, 'x') + "...\""},
        {true, "@relation r\n@attribute a real\n@data\nz\xB3\xC3\xB3\n", 4, "\"z\\xB3\xC3\xB3\" atrybutu liczbowego"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const Read read = parse(c.arff, c.text, c.decision);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.refusal.line, c.line);
        EXPECT_NE(read.refusal.what.find(c.what), std::string::npos) << read.refusal.what;
        EXPECT_EQ(read.table.values, (std::vector<float>{9, 9}));
        EXPECT_EQ(read.names.columns.front().name, "kept");
    }
}

// ARFF's quick reading of plain decimals gives each value what the word cut out and read by the
// general path gives: random numbers among other numbers, missing ones, quoted ones, blanks,
// comments, weights and line ends.
TEST(NamedTableReaders, ArffReadsTheNumbersOfRandomRowsAsTheGeneralPath)
{
    const std::vector<std::string> others = {"1.5e3", "-2E-2", "?", "'12.5'", "\"-7\"", "NA", "12345678901234567890",
                                             "0.12345678901234567890123", "99999999.99999999", "+5", "-0"};
    const std::vector<std::string> blanks = {"", "", " ", "\t", " \t "};
    const std::vector<std::string> ends = {"\n", "\r\n", " % 1,2\n", ",{3}\n", " \n"};
    std::mt19937_64 random(17);
    for (int round = 0; round < 100; ++round) {
        std::string text = "@relation r\n@attribute x numeric\n@attribute y real\n@attribute z integer\n@attribute d {a,b}\n@data\n";
        std::vector<float> expected;
        const std::size_t rows = 1 + random() % 100;
        for (std::size_t row = 0; row < rows; ++row) {
            for (int column = 0; column < 3; ++column) {
                std::string word = others[random() % others.size()];
                if (random() % 4 != 0) {
                    word = std::to_string(random() >> (random() % 64));
                    if (random() % 2 != 0) {
                        word.insert(random() % word.size(), ".");
                    }
                    word = (random() % 4 == 0 ? "-" : "") + word;
                }
                const bool missing = word == "?" || word == "NA";
                const std::string number = word.front() == '\'' || word.front() == '"' ? word.substr(1, word.size() - 2) : word;
                expected.push_back(missing ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(scanNumber(number).value));
                text += blanks[random() % blanks.size()] + word + blanks[random() % blanks.size()] + ",";
            }
            const bool b = random() % 2 != 0;
            expected.push_back(b ? 1.0f : 0.0f);
            text += (b ? "b" : "a") + ends[random() % ends.size()];
        }
        SystemDecyzyjny table;
        TableNames names;
        ReadRefusal refusal;
        MissingNumbers missing;
        ASSERT_TRUE(parseArff(text, {}, table, names, refusal, nullptr, &missing, true)) << refusal.what << "\n" << text;
        ASSERT_EQ(table.values.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_TRUE(std::isnan(expected[i]) ? std::isnan(table.values[i]) : std::memcmp(&expected[i], &table.values[i], 4) == 0)
                << i << ": " << table.values[i] << " != " << expected[i] << "\n" << text;
        }
    }
}

TEST(NamedTableReaders, CsvTextReadsBackToTheSameTableAndNames)
{
    const Read arff = parse(true, "@relation r\n@attribute 'a b' {'x,1', '?', \"q\\\"\"}\n@attribute n real\n"
                                  "@attribute c {yes, no}\n@data\n'x,1',0.1,yes\n?,-2.5e-3,no\n'?',7,?\n\"q\\\"\",1e20,no\n");
    ASSERT_TRUE(arff.ok) << arff.refusal.what;
    const std::string text = csvText(arff.table, &arff.names);
    const Read back = parse(false, text);
    ASSERT_TRUE(back.ok) << back.refusal.what;
    EXPECT_EQ(back.table.values, (std::vector<float>{0, 0.1f, 0, -1, -2.5e-3f, 1, 1, 7, -1, 2, 1e20f, 1}));
    EXPECT_EQ(describe(back.names), "a b{x,1|?|q\"| n# c{yes|no| ");
    EXPECT_EQ(csvText(arff.table, nullptr).substr(0, 16), "a1,a2,d\r\n0,0.1,0");
}

TEST(NamedTableReaders, ChooseByExtensionAndAlignTestLabelsToTheTrainingTable)
{
    testing::TempFolder folder;
    SystemDecyzyjny train;
    TableRead trainRead;
    ASSERT_TRUE(readTable(folder.write("t.CSV", "c,d\nb,x\na,y\n"), train, trainRead));
    SystemDecyzyjny test;
    TableRead testRead;
    ASSERT_TRUE(readTable(folder.write("t.Arff", "@relation r\n@attribute c {a,z,b}\n@attribute d {y,x}\n@data\na,x\nz,y\nb,?\n"),
                          test, testRead));
    alignLabels(trainRead.names, test, testRead.names);
    EXPECT_EQ(test.values, (std::vector<float>{1, 0, 2, 1, 0, -1}));
    EXPECT_EQ(describe(testRead.names), "c{b|a|z| d{x|y| ");
    TableRead tabRead;
    EXPECT_FALSE(readTable(folder.write("t.tab", "ATTRIBUTES 1 OBJECTS 1 1\n"), test, tabRead, "d"));
    EXPECT_EQ(readFailureText("t.tab", tabRead.refusal),
              "Plik jest uszkodzony!\nt.tab: tabela bez nazw atrybutow: nie mozna wskazac decyzji \"d\"");
}

} // namespace
} // namespace kolven
