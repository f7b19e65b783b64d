#include "settings/Settings.h"
#include "cli/Cli.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    auto exePath = norvane::ExecutablePath();
    if (exePath.empty() && argc > 0)
        exePath = argv[0];
    return norvane::cli::RunCli(args, exePath, stdout, stderr);
}
