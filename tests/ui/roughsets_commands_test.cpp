// The rough-set analysis in the window: when it is offered, what it draws and what it exports.
#include "app_fixture.h"

#include <gtest/gtest.h>

namespace kolven::testing {
namespace {

using enum CommandId;
using RoughSetsInTheWindow = AppTest;

TEST_F(RoughSetsInTheWindow, OfferedWithObjectsDrawnAndExportedAsTheCommandLineWritesThem)
{
    const auto offered = [&](std::initializer_list<CommandId> ids) {
        std::vector<bool> enabled;
        for (CommandId id : ids) enabled.push_back(screen.enabled(id));
        return enabled;
    };
    const auto belowTimeLine = [&] {
        const std::vector<std::string> lines = page();
        return std::vector(lines.begin() + 1, lines.end());
    };
    const auto results = {ShowApproximations, ExportApproximations, ShowReducts, ExportReducts};
    const auto computations = {ComputeApproximations, ComputeReducts, ComputeReductJohnson, ComputeReductGreedy};
    EXPECT_EQ(offered(computations), std::vector<bool>(4, false));
    load(folder.write("t.csv", "outlook,windy,play\nsunny,no,no\nsunny,yes,yes\nrainy,no,yes\nrainy,no,no\n"));
    EXPECT_EQ(offered(computations), std::vector<bool>(4, true));
    EXPECT_EQ(offered(results), std::vector<bool>(4, false));

    app.runCommand(ComputeApproximations);
    const std::vector<std::string> approximations{
        "Atrybuty: {outlook, windy}", "Klasy nierozroznialnosci: 3",
        "Klasa (play=no): obiekty 2, dolne przyblizenie 1, gorne przyblizenie 3, brzeg 2, dokladnosc 0.333",
        "Klasa (play=yes): obiekty 2, dolne przyblizenie 1, gorne przyblizenie 3, brzeg 2, dokladnosc 0.333",
        "Obszar pozytywny: 2 z 4", "Jakosc klasyfikacji: 0.500"};
    EXPECT_EQ(belowTimeLine(), approximations);
    EXPECT_EQ(offered(results), (std::vector{true, true, false, false}));
    screen.saveAnswers.push_back(folder / "a.txt");
    app.runCommand(ExportApproximations);
    std::string bytes;
    for (const std::string& line : approximations) bytes += line + "\r\n";
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "a.txt")), bytes);

    app.runCommand(ToggleAttributeNames);
    for (CommandId method : {ComputeReducts, ComputeReductJohnson, ComputeReductGreedy}) {
        app.runCommand(method);
        EXPECT_EQ(belowTimeLine(), (std::vector<std::string>{"Rdzen: {a1, a2}", "Redukty: 1", "{a1, a2}"}));
    }
    EXPECT_EQ(offered(results), std::vector<bool>(4, true));
    screen.saveAnswers.push_back(folder / "r.txt");
    app.runCommand(ExportReducts);
    EXPECT_EQ(afterTimeLine(fileBytes(folder / "r.txt")), "Rdzen: {a1, a2}\r\nRedukty: 1\r\n{a1, a2}\r\n");
}

} // namespace
} // namespace kolven::testing
