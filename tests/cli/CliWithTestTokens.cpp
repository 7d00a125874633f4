// brindle-cli with the name pattern's test-only tokens known (tests/support/TestTokens.h):
// the program the tests run where they need a token that the shipped one lacks.
#include <string>
#include <vector>

#include "TestTokens.h"
#include "cli/CliApp.h"

int main(int argc, char** argv) {
    brindle::testing::RegisterTestTokens();
    return brindle::cli::RunCli(std::vector<std::string>(argv + 1, argv + argc));
}
