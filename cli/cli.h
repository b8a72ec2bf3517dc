#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace kolven {

// Exit codes of every sub-command.
enum CliExit : int { kExitOk = 0, kExitFailed = 1, kExitUsage = 2 };

// Runs kolven-cli with args (without the program name): results to out, messages and usage to
// err. Returns kExitOk, kExitFailed (unreadable input, refused operation, unwritable output;
// no output file is left behind) or kExitUsage.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace kolven
