// Program entry.

#include "host/Program.h"

int main(int argc, char* argv[]) {
    return tolvane::RunProgram(argc, argv);
}
