#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kolven {

// Exit codes of every sub-command.
enum CliExit : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2, kExitInterrupted = 130 };

// Runs kolven-cli with args (without the program name): results to out, messages and usage to
// err. Returns kExitOk, kExitFailed (unreadable input, refused operation, unwritable output;
// no output file is left behind), kExitUsage or, after Ctrl-C, kExitInterrupted (nothing written).
// While a computation runs and standard error is a terminal, a progress line is drawn there,
// unless --quiet is given.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Makes Ctrl-C (SIGINT) stop the running computation instead of the process, so that runCli
// returns kExitInterrupted and leaves no partial output file.
void installInterruptHandler();

} // namespace kolven
