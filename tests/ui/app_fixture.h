#pragma once

#include "application.h"
#include "recording_screen.h"
#include "test_files.h"
#include "text_page.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace kolven::testing {

// The application as most tests drive it: a command that starts a computation returns once the
// computation has ended and its outcome was delivered through the screen, as it is on screen
// moments later. startCommand leaves the computation running.
class SettledApplication : public Application {
public:
    SettledApplication(AppState& state, RecordingScreen& screen, RandomSystemGenerator& generator)
        : Application(state, screen, generator), screen_(screen)
    {
    }

    void runCommand(CommandId id)
    {
        Application::runCommand(id);
        settle();
    }
    void startCommand(CommandId id) { Application::runCommand(id); }
    // Runs what the worker posts until the computation has ended.
    void settle()
    {
        while (computing() && screen_.runPosted()) {
        }
    }

private:
    RecordingScreen& screen_;
};

// An application over a recording screen, with a scratch folder for table files and a generator
// whose clock ticks once per reading.
class AppTest : public ::testing::Test {
protected:
    explicit AppTest(int pageBottom = 600) : screen(pageBottom) { app.start(); }

    // Writes a .tab file of rows (each the condition values, then the decision).
    std::filesystem::path tabFile(const std::string& name, const std::vector<std::vector<float>>& rows)
    {
        std::string text = "ATTRIBUTES " + std::to_string(rows.front().size()) + " OBJECTS " + std::to_string(rows.size());
        for (const auto& row : rows) {
            for (float v : row) {
                text += " " + std::to_string(v);
            }
        }
        return folder.write(name, text + "\n");
    }

    // n objects on one attribute, each its own value and decision: one rule per object.
    void loadDistinctObjects(int n)
    {
        std::vector<std::vector<float>> rows;
        for (int i = 0; i < n; ++i) {
            rows.push_back({float(i), float(i)});
        }
        load(tabFile("t.tab", rows));
    }

    // The page on screen, checked to be drawn line under line from the top.
    std::vector<std::string> page()
    {
        for (std::size_t i = 0; i < screen.drawn.size(); ++i) {
            EXPECT_EQ(screen.drawn[i].y, int(i) * TextPage::kLineHeight);
        }
        return screen.texts();
    }

    // The shown page and every page "DALEJ" brings while it can be clicked, at most 100 pages.
    std::vector<std::vector<std::string>> pagesFromHere()
    {
        std::vector<std::vector<std::string>> pages{page()};
        while (screen.buttonVisible && screen.buttonEnabled && pages.size() < 100) {
            app.nextPageClicked();
            pages.push_back(page());
        }
        return pages;
    }

    void load(const std::filesystem::path& path, CommandId command = CommandId::LoadSystem)
    {
        screen.openAnswers.push_back(path);
        app.runCommand(command);
    }
    void loadTest(const std::filesystem::path& path) { load(path, CommandId::LoadTestSystem); }

    TempFolder folder;
    AppState state;
    RecordingScreen screen;
    std::uint32_t clockTicks = 1000;
    RandomSystemGenerator generator{[this] { return ++clockTicks; }};
    SettledApplication app{state, screen, generator};
};

} // namespace kolven::testing
