#pragma once

#include "application.h"
#include "recording_screen.h"
#include "table_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace kolven::testing {

// An application over a recording screen, with a scratch folder for table files and a generator
// whose clock ticks once per reading.
class AppTest : public ::testing::Test {
protected:
    explicit AppTest(int pageBottom = 600) : screen(pageBottom) {}

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("kolven_ui_" + std::string(info->test_suite_name()) + "_" + info->name());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        app.start();
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    // Writes a .tab file of rows (each the condition values, then the decision).
    std::filesystem::path tabFile(const std::string& name, const std::vector<std::vector<float>>& rows)
    {
        std::string text = "ATTRIBUTES " + std::to_string(rows.front().size()) + "\nOBJECTS " +
                           std::to_string(rows.size()) + "\n";
        for (const auto& row : rows) {
            for (float v : row) {
                text += std::to_string(v) + " ";
            }
            text += "\n";
        }
        return file(name, text);
    }
    std::filesystem::path file(const std::string& name, const std::string& bytes)
    {
        const auto path = folder / name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    void load(const std::filesystem::path& path)
    {
        screen.openAnswers.push_back(path);
        app.runCommand(CommandId::LoadSystem);
    }
    void loadTest(const std::filesystem::path& path)
    {
        screen.openAnswers.push_back(path);
        app.runCommand(CommandId::LoadTestSystem);
    }

    std::filesystem::path folder;
    AppState state;
    RecordingScreen screen;
    std::uint32_t clockTicks = 1000;
    RandomSystemGenerator generator{[this] { return ++clockTicks; }};
    Application app{state, screen, generator};
};

} // namespace kolven::testing
