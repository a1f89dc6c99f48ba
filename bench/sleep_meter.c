/* Preloaded into tarvo by the benchmark: passes every sleep on to the C
 * library and records how long each one was asked to last, so the run's wall
 * time can be set against the waits it had to make. At exit it writes, to the
 * file named by SLEEP_METER_OUT, the process's wall time and one line per
 * distinct requested duration with its count, all in nanoseconds, and the
 * process's peak resident memory (VmHWM) in KiB. The peak is read here
 * because busybox's time -v reports ru_maxrss four times too large (it takes
 * the kilobytes for pages). */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#define KINDS 64

static struct timespec started;
static long long durations[KINDS];
static long counts[KINDS];
static long long other_ns; /* durations beyond the table, summed */
static long other_count;

static long long ns_of(const struct timespec *t) {
    return (long long)t->tv_sec * 1000000000LL + t->tv_nsec;
}

static void note(long long ns) {
    for (int i = 0; i < KINDS; i++) {
        if (counts[i] == 0) durations[i] = ns;
        if (durations[i] == ns) { counts[i]++; return; }
    }
    other_ns += ns;
    other_count++;
}

__attribute__((constructor)) static void meter_start(void) {
    clock_gettime(CLOCK_MONOTONIC, &started);
}

__attribute__((destructor)) static void meter_stop(void) {
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char *path = getenv("SLEEP_METER_OUT");
    FILE *f = path ? fopen(path, "w") : NULL;
    if (!f) return;
    fprintf(f, "wall %lld\n", ns_of(&now) - ns_of(&started));
    for (int i = 0; i < KINDS && counts[i]; i++) fprintf(f, "sleep %lld %ld\n", durations[i], counts[i]);
    if (other_count) fprintf(f, "sleep-other %lld %ld\n", other_ns, other_count);
    FILE *status = fopen("/proc/self/status", "r");
    char line[256];
    long hwm;
    while (status && fgets(line, sizeof(line), status))
        if (sscanf(line, "VmHWM: %ld kB", &hwm) == 1) fprintf(f, "peak-rss-kib %ld\n", hwm);
    if (status) fclose(status);
    fclose(f);
}

int nanosleep(const struct timespec *req, struct timespec *rem) {
    static int (*real)(const struct timespec *, struct timespec *);
    if (!real) real = (int (*)(const struct timespec *, struct timespec *))dlsym(RTLD_NEXT, "nanosleep");
    if (req) note(ns_of(req));
    return real(req, rem);
}

int clock_nanosleep(clockid_t clock, int flags, const struct timespec *req, struct timespec *rem) {
    static int (*real)(clockid_t, int, const struct timespec *, struct timespec *);
    if (!real)
        real = (int (*)(clockid_t, int, const struct timespec *, struct timespec *))dlsym(RTLD_NEXT,
                                                                                         "clock_nanosleep");
    if (req && !(flags & TIMER_ABSTIME)) note(ns_of(req));
    return real(clock, flags, req, rem);
}

unsigned int sleep(unsigned int seconds) {
    static unsigned int (*real)(unsigned int);
    if (!real) real = (unsigned int (*)(unsigned int))dlsym(RTLD_NEXT, "sleep");
    note((long long)seconds * 1000000000LL);
    return real(seconds);
}

int usleep(useconds_t usec) {
    static int (*real)(useconds_t);
    if (!real) real = (int (*)(useconds_t))dlsym(RTLD_NEXT, "usleep");
    note((long long)usec * 1000LL);
    return real(usec);
}
