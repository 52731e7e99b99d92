#include <iostream>

#include "cli/CommandLine.h"

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    return trovik::cli::RunCommandLine({argv, argv + argc}, std::cout, std::cerr,
                                       trovik::systemFileService());
}
