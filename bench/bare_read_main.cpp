// qm-bare-read DEVICE: the five read commands as bare system calls, once, in
// a static process (the smallest process that reads a drive).
#include "bench/bare_smart_read.h"

int main(int argc, char** argv) { return argc == 2 && qm::bench::BareSmartRead(argv[1]) ? 0 : 1; }
