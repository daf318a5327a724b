// host: the main modules of the two programs.
#pragma once

namespace interp {

// Tessel: tessel [script[@label] [argument ...]]. Never returns.
[[noreturn]] void RunTesselHost(int argc, char** argv);

// Ensaio: asks for a script name and runs it. Never returns.
[[noreturn]] void RunEnsaioHost(int argc, char** argv);

}  // namespace interp
