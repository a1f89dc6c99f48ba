// Preloaded (LD_PRELOAD) into a program under test, to show it a fake sysfs
// file the way the kernel shows a function's configuration space to a
// reader without CAP_SYS_ADMIN: a process that is not root reads only the
// first 64 bytes of each file named in TARVO_HIDDEN_CONFIG (absolute paths
// separated by blanks, as the names of PCI functions hold colons); the bytes
// beyond read as the end of the file, while the file keeps its full size.
// Root reads the whole file.
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

enum { kShown = 64 };

// Whether fd is one of the listed files.
static int hidden(int fd) {
    const char* list = getenv("TARVO_HIDDEN_CONFIG");
    struct stat open_file;
    if (geteuid() == 0 || list == NULL || fstat(fd, &open_file) != 0) {
        return 0;
    }
    char path[4096];
    while (*list != '\0') {
        const char* end = strchr(list, ' ');
        const size_t len = end != NULL ? (size_t)(end - list) : strlen(list);
        struct stat listed;
        if (len < sizeof(path)) {
            memcpy(path, list, len);
            path[len] = '\0';
            if (stat(path, &listed) == 0 && listed.st_dev == open_file.st_dev &&
                listed.st_ino == open_file.st_ino) {
                return 1;
            }
        }
        list += len;
        if (*list == ' ') {
            ++list;
        }
    }
    return 0;
}

// The count the kernel would transfer: none from byte 64 on, and a read
// that crosses it stops there.
static size_t shown(int fd, size_t count, off_t offset) {
    if (!hidden(fd)) {
        return count;
    }
    if (offset >= kShown) {
        return 0;
    }
    return (size_t)offset + count > kShown ? (size_t)(kShown - offset) : count;
}

typedef ssize_t (*pread_fn)(int, void*, size_t, off_t);

// A read through the C library's own function `name`, cut as the kernel
// cuts it.
static ssize_t read_shown(pread_fn* next, const char* name, int fd, void* buf, size_t count,
                          off_t offset) {
    if (*next == NULL) {
        *next = (pread_fn)dlsym(RTLD_NEXT, name);
    }
    count = shown(fd, count, offset);
    return count == 0 ? 0 : (*next)(fd, buf, count, offset);
}

ssize_t pread(int fd, void* buf, size_t count, off_t offset) {
    static pread_fn next;
    return read_shown(&next, "pread", fd, buf, count, offset);
}

ssize_t pread64(int fd, void* buf, size_t count, off_t offset) {
    static pread_fn next;
    return read_shown(&next, "pread64", fd, buf, count, offset);
}
