// Runs a program as user and group 65534 (nobody), without supplementary
// groups, for the tests that show what a user who is not root sees:
//
//   as_nobody PROGRAM [ARGS...]
//
// Exit status 125 when the IDs cannot be dropped, 127 when PROGRAM cannot be
// run; otherwise PROGRAM's own.
#define _GNU_SOURCE
#include <grp.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
    const unsigned nobody = 65534;
    if (argc < 2) {
        fprintf(stderr, "usage: as_nobody PROGRAM [ARGS...]\n");
        return 125;
    }
    // The groups go first: without root, they could not be dropped after.
    if (setgroups(0, NULL) != 0 || setresgid(nobody, nobody, nobody) != 0 ||
        setresuid(nobody, nobody, nobody) != 0) {
        perror("as_nobody: dropping to user 65534");
        return 125;
    }
    execvp(argv[1], argv + 1);
    perror("as_nobody: running the program");
    return 127;
}
