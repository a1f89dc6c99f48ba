#include "cli/tarvo_cli.hpp"

int main(int argc, char* argv[]) { return cli::tarvo_main(argc, argv); }
