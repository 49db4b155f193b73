// The program's entry: a command of the command line, or else the window through RunQuillmere;
// an exception that reaches here ends in a message, like every other failure at start.
#include "app/command_line.h"
#include "app/startup.h"

int main(int argc, char** argv) {
    qm::InstallFailureHandlers();
    if (const std::optional<int> exitCode = qm::RunCommandLine(argc, argv))
        return *exitCode;
    return qm::RunQuillmere(argc, argv);
}
