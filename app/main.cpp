// The program's entry: everything happens in RunQuillmere.
#include "app/startup.h"

int main(int argc, char** argv) {
    return qm::RunQuillmere(argc, argv);
}
