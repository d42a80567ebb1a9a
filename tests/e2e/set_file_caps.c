/* set-file-caps FILE [ata-only]: gives FILE the file capabilities the helper
 * is installed with (cap_sys_rawio,cap_dac_read_search,cap_sys_admin+ep), as
 * setcap would; with "ata-only" those of an older install, without
 * cap_sys_admin. Built static by the end-to-end check: the test machine has
 * no setcap. */
#include <linux/capability.h>
#include <stdio.h>
#include <string.h>
#include <sys/xattr.h>

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3 || (argc == 3 && strcmp(argv[2], "ata-only") != 0)) {
        fputs("usage: set-file-caps FILE [ata-only]\n", stderr);
        return 2;
    }
    struct vfs_cap_data caps = {0};
    caps.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
    caps.data[0].permitted = (1u << CAP_SYS_RAWIO) | (1u << CAP_DAC_READ_SEARCH);
    if (argc == 2) caps.data[0].permitted |= 1u << CAP_SYS_ADMIN;
    if (setxattr(argv[1], "security.capability", &caps, XATTR_CAPS_SZ_2, 0) != 0) {
        perror("set-file-caps");
        return 1;
    }
    return 0;
}
