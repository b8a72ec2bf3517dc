#include "program_fixture.h"

#include <algorithm>

namespace kolven::test {
namespace {

class NamesWindowTest : public ProgramTest {};

// The entry carries the check mark the application sets; choosing it redraws the listing.
TEST_F(NamesWindowTest, TheCheckedEntrySwitchesTheListingBetweenNamesAndNumbers)
{
    QAction* toggle = window().action(CommandId::ToggleAttributeNames);
    ASSERT_NE(toggle, nullptr);
    EXPECT_TRUE(toggle->isCheckable() && toggle->isChecked());
    ASSERT_TRUE(choose(CommandId::LoadSystem, {chooseFile(dataFile("weather.nominal.arff"))}));
    ASSERT_TRUE(choose(CommandId::ComputeLem2));
    const auto showsLine = [this](const std::string& line) {
        const auto lines = shownLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    };
    EXPECT_TRUE(showsLine(" (outlook=overcast) => (play=yes) [3]"));
    ASSERT_TRUE(choose(CommandId::ToggleAttributeNames));
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_TRUE(showsLine(" (a1=1.000) => (d=0.000) [3]"));
}

} // namespace
} // namespace kolven::test
