// zembric: rebuilds a component database for one edition from its command line.
#include "app.h"

#include <string>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    return zembric::RunProgram(args);
}
