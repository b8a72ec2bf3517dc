// Ctrl-C during a long run, sent to the real program in a child process as a terminal sends it.
#include "test_files.h"

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kolven::testing {
namespace {

// Starts kolven-cli with args, its standard error written to errorFile.
pid_t startCli(std::vector<std::string> args, const std::filesystem::path& errorFile)
{
    args.insert(args.begin(), KOLVEN_CLI);
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    EXPECT_EQ(posix_spawn(&pid, KOLVEN_CLI, &actions, nullptr, argv.data(), environ), 0);
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
