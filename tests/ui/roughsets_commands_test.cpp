// The rough-set analysis in the window: when it is offered, what it draws and what it exports.
#include "app_fixture.h"
#include <algorithm>

namespace kolven::testing {
namespace {

using enum CommandId;
using RoughSetsInTheWindow = AppTest;

TEST_F(RoughSetsInTheWindow, OfferedWithObjectsDrawnAndExportedAsTheCommandLineWritesThem)
{
    const auto offered = [&](std::vector<CommandId> ids) { return std::ranges::count_if(ids, [&](CommandId id) { return screen.enabled(id); }); };
    const auto belowTimeLine = [&] { auto lines = page(); return std::vector(lines.begin() + !lines.empty(), lines.end()); };
    load(folder.write("t.csv", "outlook,windy,play\nsunny,no,no\nsunny,yes,yes\nrainy,no,yes\nrainy,no,no\n"));
    EXPECT_EQ(offered({ComputeApproximations, ComputeReducts, ComputeReductJohnson, ComputeReductGreedy}), 4);
    EXPECT_EQ(offered({ShowApproximations, ExportApproximations, ShowReducts, ExportReducts}), 0);
    app.runCommand(ComputeApproximations);
    const std::vector<std::string> approximations{
        "Atrybuty: {outlook, windy}", "Klasy nierozroznialnosci: 3",
        "Klasa (play=no): obiekty 2, dolne przyblizenie 1, gorne przyblizenie 3, brzeg 2, dokladnosc 0.333",
        "Klasa (play=yes): obiekty 2, dolne przyblizenie 1, gorne przyblizenie 3, brzeg 2, dokladnosc 0.333",
        "Obszar pozytywny: 2 z 4", "Jakosc klasyfikacji: 0.500"};
    EXPECT_EQ(belowTimeLine(), approximations);
    EXPECT_EQ(offered({ShowApproximations, ExportApproximations}) - offered({ShowReducts, ExportReducts}), 2);
    screen.saveAnswers = {folder / "a.txt", folder / "r.txt"};
    app.runCommand(ExportApproximations);
    std::string bytes;
    for (const std::string& line : approximations) bytes += line + "\r\n";
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "a.txt")), bytes);
    app.runCommand(ShowApproximations);
    app.runCommand(ToggleAttributeNames);
    EXPECT_EQ(belowTimeLine().front(), "Atrybuty: {a1, a2}") << "drawn again without the names";
    // Two reducts: all of them, or the one Johnson's and the greedy search pick.
    load(folder.write("t2.csv", "a,b,d\nx,x,p\ny,y,q\n"));
    for (CommandId method : {ComputeReducts, ComputeReductJohnson, ComputeReductGreedy}) {
        app.runCommand(method);
        EXPECT_EQ(belowTimeLine(), (method == ComputeReducts ? std::vector<std::string>{"Rdzen: {}", "Redukty: 2", "{a1}", "{a2}"}
                                                             : std::vector<std::string>{"Rdzen: {}", "Redukty: 1", "{a1}"}));
    }
    app.runCommand(ExportReducts);
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "r.txt")), "Rdzen: {}\r\nRedukty: 1\r\n{a1}\r\n");
}

} // namespace
} // namespace kolven::testing
