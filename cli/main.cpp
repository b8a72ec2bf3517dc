#include "cli.h"

#include <iostream>

int main(int argc, char** argv)
{
    kolven::installInterruptHandler();
    std::vector<std::string> args(argv + 1, argv + argc);
    return kolven::runCli(args, std::cout, std::cerr);
}
