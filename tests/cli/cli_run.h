#pragma once

#include "cli.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace kolven::testing {

// kolven-cli run in process: its exit code and what it printed.
struct CliRun {
    int code;
    std::string out;
    std::string err;
};

inline CliRun run(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCli(args, out, err);
    return {code, out.str(), err.str()};
}

inline std::string data(const std::string& name)
{
    return dataFile(name).string();
}

// The line of out that begins with prefix, without its line end; empty when there is none.
inline std::string lineStarting(const std::string& out, const std::string& prefix)
{
    const std::size_t start = out.find(prefix);
    return start == std::string::npos ? std::string() : out.substr(start, out.find("\r\n", start) - start);
}

// Runs in a scratch folder of its own.
class CliTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return (folder_ / name).string(); }
    std::string write(const std::string& name, const std::string& text) const { return folder_.write(name, text).string(); }

    TempFolder folder_;
};

} // namespace kolven::testing
