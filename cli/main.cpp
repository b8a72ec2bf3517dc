#include "cli.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <filesystem>
#include <memory>
#endif

namespace {

#ifdef _WIN32
// The arguments as UTF-8. The narrow argv of a Windows program holds them in the ANSI code page,
// which cannot spell every file name (C:\Users\Łukasz\...), so they are taken from the wide
// command line instead.
std::vector<std::string> arguments(int, char**)
{
    int count = 0;
    const std::unique_ptr<LPWSTR, decltype(&LocalFree)> wide(CommandLineToArgvW(GetCommandLineW(), &count),
                                                             &LocalFree);
    std::vector<std::string> args;
    for (int i = 1; wide && i < count; ++i) {
        const std::u8string utf8 = std::filesystem::path(wide.get()[i]).u8string();
        args.emplace_back(utf8.begin(), utf8.end());
    }
    return args;
}
#else
std::vector<std::string> arguments(int argc, char** argv)
{
    return {argv + 1, argv + argc};
}
#endif

} // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Results go out byte for byte: their lines already end with CR LF, which text mode would
    // turn into CR CR LF.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    kolven::installInterruptHandler();
    return kolven::runCli(arguments(argc, argv), std::cout, std::cerr);
}
