/* as-user UID GID PROGRAM [ARG...]: runs PROGRAM (a full path) as UID and GID
 * with no supplementary groups. Built static by the end-to-end check, since
 * busybox setpriv cannot change the user. */
#define _GNU_SOURCE
#include <grp.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc < 4) {
        fputs("usage: as-user UID GID PROGRAM [ARG...]\n", stderr);
        return 127;
    }
    const uid_t uid = (uid_t)strtoul(argv[1], NULL, 10);
    const gid_t gid = (gid_t)strtoul(argv[2], NULL, 10);
    if (setgroups(0, NULL) != 0 || setresgid(gid, gid, gid) != 0 || setresuid(uid, uid, uid) != 0) {
        perror("as-user");
        return 126;
    }
    execv(argv[3], argv + 3);
    perror("as-user: exec");
    return 127;
}
