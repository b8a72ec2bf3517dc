#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>

namespace kolven::testing {

// A file of the bundled test data.
inline std::filesystem::path dataFile(const std::string& name)
{
    return std::filesystem::path(KOLVEN_TEST_DATA) / name;
}

// The whole file as bytes; empty when it cannot be read.
inline std::string fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// An export without its first line, the time line that differs from run to run; checks that the
// first line is that time line.
inline std::string afterTimeLine(const std::string& text)
{
    EXPECT_EQ(text.rfind("Czas wykonania zadania: ", 0), 0u) << text.substr(0, 40);
    const std::size_t end = text.find("\r\n");
    return end == std::string::npos ? std::string() : text.substr(end + 2);
}

// Compares two texts line by line (a line ends after its LF) and reports only the first line that
// differs, with its number: a long export that differs must not flood the output with its diff.
inline ::testing::AssertionResult sameLines(std::string_view actual, std::string_view expected)
{
    const auto shown = [](std::string_view text, std::size_t end) {
        return text.empty() ? std::string("(end of text)") : ::testing::PrintToString(std::string(text.substr(0, std::min<std::size_t>(end, 200))));
    };
    for (std::size_t line = 1; !actual.empty() || !expected.empty(); ++line) {
        const std::size_t actualEnd = std::min(actual.find('\n'), actual.size() - 1) + 1;
        const std::size_t expectedEnd = std::min(expected.find('\n'), expected.size() - 1) + 1;
        if (actual.empty() || expected.empty() || actual.substr(0, actualEnd) != expected.substr(0, expectedEnd)) {
            return ::testing::AssertionFailure() << "line " << line << " differs: expected " << shown(expected, expectedEnd)
                                                 << ", actual " << shown(actual, actualEnd);
        }
        actual.remove_prefix(actualEnd);
        expected.remove_prefix(expectedEnd);
    }
    return ::testing::AssertionSuccess();
}

// A scratch folder named after the running test, emptied when made and removed when dropped.
class TempFolder {
public:
    TempFolder()
    {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::filesystem::temp_directory_path() /
                ("kolven-" + std::string(test->test_suite_name()) + "-" + test->name());
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    // Writes bytes into the folder's file name and returns its path.
    std::filesystem::path write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

} // namespace kolven::testing
