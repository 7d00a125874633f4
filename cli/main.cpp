#include <string>
#include <vector>

#include "cli/CliApp.h"

int main(int argc, char** argv) {
    return brindle::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
