#include "Program.h"
#include "ui/CommandLine.h"

#include <optional>

int main(int argc, char** argv)
{
    if (const std::optional<int> status = CommandLine::handle(argc, argv))
        return *status;
    return Program::run(argc, argv);
}
