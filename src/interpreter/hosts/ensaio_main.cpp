// Ensaio: asks for a script name, runs it and says that it has finished.
#include "interpreter/host.h"

int main(int argc, char** argv) { interp::RunEnsaioHost(argc, argv); }
