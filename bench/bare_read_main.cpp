// qm-bare-read DEVICE: a drive's read commands as bare system calls, once, in
// a static process (the smallest process that reads a drive): the five of an
// ATA disk, or the two admin commands of an NVMe controller (/dev/nvmeN).
#include <cstring>

#include "bench/bare_nvme_read.h"
#include "bench/bare_smart_read.h"

int main(int argc, char** argv) {
    if (argc != 2) return 1;
    const bool nvme = std::strncmp(argv[1], "/dev/nvme", 9) == 0;
    return (nvme ? qm::bench::BareNvmeRead(argv[1]) : qm::bench::BareSmartRead(argv[1])) ? 0 : 1;
}
