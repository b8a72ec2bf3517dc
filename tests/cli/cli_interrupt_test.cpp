// Ctrl-C during a long run, sent to the real program in a child process as a terminal sends it.
#include "test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kolven::testing {
namespace {

// Starts kolven-cli with args, its standard error written to errorFile, its standard output to
// outputFile when given. With fileLimit, it runs with files limited to that many blocks, so that
// a write past it fails as on a full disk.
pid_t startCli(std::vector<std::string> args, const std::filesystem::path& errorFile,
               const std::filesystem::path& outputFile = {}, int fileLimit = 0)
{
    args.insert(args.begin(), KOLVEN_CLI);
    if (fileLimit > 0) {
        args.insert(args.begin(), {"/bin/sh", "-c", "trap '' XFSZ; ulimit -f " + std::to_string(fileLimit) + "; exec \"$0\" \"$@\""});
    }
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!outputFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY, 0);
    }
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The child's exit code; nothing when it did not exit by itself within a minute (it is killed).
std::optional<int> exitCode(pid_t pid)
{
    for (int waited = 0; waited < 600; ++waited) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            return WIFEXITED(status) ? std::optional(WEXITSTATUS(status)) : std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
}

// The files of folder, the temporary files of a write among them.
std::vector<std::string> fileNames(const TempFolder& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "")) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(CliInterrupt, EachStopSignalEndsTheRunWithItsExitAndKeepsTheOldOutput)
{
    TempFolder folder;
    // A wide random table whose search of all orders runs for minutes; a tall one for LEM2.
    const auto wide = folder / "wide.msd";
    const auto tall = folder / "tall.msd";
    const auto errors = folder / "errors.txt";
    for (const auto& [table, size] : {std::pair{wide, std::vector<std::string>{"300", "100", "0", "19"}},
                                      std::pair{tall, std::vector<std::string>{"40000", "40", "0", "3"}}}) {
        std::vector<std::string> args{"--quiet", "generate"};
        args.insert(args.end(), size.begin(), size.end());
        args.insert(args.end(), {"--seed", "8", "-o", table.string()});
        ASSERT_EQ(exitCode(startCli(args, errors)), 0);
    }
    const auto rules = folder / "rules.txt";
    const auto stats = folder / "stats.csv";
    struct Case {
        std::vector<std::string> args;
        int signal;
        int exit;
    };
    const std::vector<Case> cases{
        {{"exhaustive", wide.string(), "--all-orders", "-o", rules.string()}, SIGTERM, 143},
        {{"exhaustive", wide.string(), "--all-orders", "-o", rules.string()}, SIGHUP, 129},
        {{"lem2", tall.string(), "--simplify", "--stats", stats.string(), "-o", rules.string()}, SIGINT, 130},
        {{"classify", tall.string(), tall.string(), "--rules", "lem2", "-o", rules.string()}, SIGINT, 130},
    };
    for (const Case& c : cases) {
        folder.write("rules.txt", "old rules");
        folder.write("stats.csv", "old stats");
        const pid_t pid = startCli(c.args, errors);
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        kill(pid, c.signal);
        EXPECT_EQ(exitCode(pid), c.exit) << c.args[0];
        EXPECT_EQ(fileBytes(rules), "old rules");
        EXPECT_EQ(fileBytes(stats), "old stats");
        EXPECT_EQ(fileBytes(errors), "kolven-cli: obliczenia przerwane.\n");
    }
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"errors.txt", "rules.txt", "stats.csv", "tall.msd", "wide.msd"}));
}

TEST(CliInterrupt, AFifoWithNoWriterIsStoppedByCtrlC)
{
    TempFolder folder;
    const auto fifo = folder / "table.tab";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const pid_t pid = startCli({"info", fifo.string()}, folder / "errors.txt");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    kill(pid, SIGINT);
    EXPECT_EQ(exitCode(pid), 130);
}

// A write that fails part way (as on a full disk) leaves the old files as they were, the --stats
// file of the same run included, and no temporary file; a failed standard output is an error too.
TEST(CliInterrupt, AFailedWriteKeepsTheOldFilesAndLeavesNothingElse)
{
    TempFolder folder;
    const auto rules = folder / "rules.txt";
    const auto stats = folder / "stats.csv";
    const auto errors = folder / "errors.txt";
    folder.write("rules.txt", "old rules");
    folder.write("stats.csv", "old stats");
    const std::string table = dataFile("segment-test.tab").string();
    EXPECT_EQ(exitCode(startCli({"lem2", table, "--stats", stats.string(), "-o", rules.string()}, errors, {}, 8)), 1);
    EXPECT_EQ(fileBytes(rules), "old rules");
    EXPECT_EQ(fileBytes(stats), "old stats");
    EXPECT_NE(fileBytes(errors).find("nie mozna zapisac pliku"), std::string::npos);
    EXPECT_EQ(fileNames(folder), (std::vector<std::string>{"errors.txt", "rules.txt", "stats.csv"}));

    EXPECT_EQ(exitCode(startCli({"lem2", table}, errors, "/dev/full")), 1);
    EXPECT_NE(fileBytes(errors).find("standardowe wyjscie"), std::string::npos);
}

TEST(CliInterrupt, CtrlCStopsTheRunWithExit130AndLeavesNoOutputFile)
{
    TempFolder folder;
    // A wide random table whose search of all orders runs for minutes.
    const auto table = folder / "wide.msd";
    const auto errors = folder / "errors.txt";
    ASSERT_EQ(exitCode(startCli({"--quiet", "generate", "300", "100", "0", "19", "--seed", "8", "-o", table.string()},
                                errors)),
              0);

    // The same table has more reducts than a run can list in minutes.
    const auto rules = folder / "rules.txt";
    for (const std::vector<std::string>& command : {std::vector<std::string>{"exhaustive", "--all-orders"},
                                                   std::vector<std::string>{"reducts"}}) {
        std::vector<std::string> args = command;
        args.insert(args.end(), {table.string(), "-o", rules.string()});
        const pid_t pid = startCli(args, errors);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        kill(pid, SIGINT);
        EXPECT_EQ(exitCode(pid), 130);
        EXPECT_FALSE(std::filesystem::exists(rules));
        // Standard error is a file here, so it carries no progress line.
        EXPECT_EQ(fileBytes(errors), "kolven-cli: obliczenia przerwane.\n");
    }
}

} // namespace
} // namespace kolven::testing
