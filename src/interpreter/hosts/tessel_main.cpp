// Tessel: runs a script, or asks for one.
#include "interpreter/host.h"

int main(int argc, char** argv) { interp::RunTesselHost(argc, argv); }
