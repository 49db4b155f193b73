// The program's entry: a command of the command line, or else the window through RunQuillmere.
#include "app/command_line.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = qm::RunCommandLine(argc, argv))
        return *exitCode;
    return qm::RunQuillmere(argc, argv);
}
