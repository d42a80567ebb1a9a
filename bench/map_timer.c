/* qm-map-timer: how long until a window appears on an X display.
 *
 *   qm-map-timer [--popups] [--keep | --interrupt] -- PROGRAM [ARG...]
 *
 * Watches the root window of $DISPLAY for newly mapped top-level windows,
 * starts PROGRAM and prints, on standard output, the milliseconds from just
 * before the start to the first map of a top-level window (with --popups
 * also of an override-redirect window: a menu), then that window's id in
 * hexadecimal. Without --keep, PROGRAM (with its process group, which it
 * leads) is then ended (SIGTERM, or SIGINT with --interrupt, for a PROGRAM
 * such as perf stat that reports when interrupted) and reaped; with --keep it is left running (PROGRAM is then a
 * trigger such as xdotool acting on another program). Exit status 0 when a window appeared within
 * 60 s, 1 otherwise, 2 on a usage or display error.
 *
 * A map is what the user sees first: no window manager is needed (run on a
 * bare Xvfb), and nothing polls. */
#include <signal.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <poll.h>

#include <xcb/xcb.h>

extern char **environ;

static double NowMs(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

int main(int argc, char **argv) {
    int popups = 0, keep = 0, first = 1, endSignal = SIGTERM;
    for (; first < argc && strncmp(argv[first], "--", 2) == 0; ++first) {
        if (strcmp(argv[first], "--") == 0) { ++first; break; }
        if (strcmp(argv[first], "--popups") == 0) popups = 1;
        else if (strcmp(argv[first], "--keep") == 0) keep = 1;
        else if (strcmp(argv[first], "--interrupt") == 0) endSignal = SIGINT;
        else { fprintf(stderr, "qm-map-timer: unknown option %s\n", argv[first]); return 2; }
    }
    if (first >= argc) {
        fprintf(stderr, "usage: qm-map-timer [--popups] [--keep | --interrupt] -- PROGRAM [ARG...]\n");
        return 2;
    }

    int screenNumber = 0;
    xcb_connection_t *x = NULL;
    int error = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {  /* a busy server may refuse a connection for a moment */
        x = xcb_connect(NULL, &screenNumber);
        error = xcb_connection_has_error(x);
        if (!error) break;
        xcb_disconnect(x);
        x = NULL;
        poll(NULL, 0, 50);
    }
    if (x == NULL) { fprintf(stderr, "qm-map-timer: no display (xcb error %d)\n", error); return 2; }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(x));
    for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
    const xcb_window_t root = it.data->root;
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_request_check(x, xcb_change_window_attributes_checked(x, root, XCB_CW_EVENT_MASK, &mask));

    const double start = NowMs();
    pid_t pid;
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
    const int spawned = posix_spawnp(&pid, argv[first], NULL, &attributes, argv + first, environ);
    posix_spawnattr_destroy(&attributes);
    if (spawned != 0) {
        fprintf(stderr, "qm-map-timer: cannot start %s\n", argv[first]);
        return 2;
    }

    int found = 0;
    double elapsed = 0;
    xcb_window_t window = 0;
    struct pollfd p = {xcb_get_file_descriptor(x), POLLIN, 0};
    while (!found && NowMs() - start < 60000) {
        xcb_generic_event_t *event;
        while (!found && (event = xcb_poll_for_event(x)) != NULL) {
            if ((event->response_type & 0x7F) == XCB_MAP_NOTIFY) {
                const xcb_map_notify_event_t *map = (const xcb_map_notify_event_t *)event;
                if (map->event == root && (popups || !map->override_redirect)) {
                    elapsed = NowMs() - start;
                    window = map->window;
                    found = 1;
                }
            }
            free(event);
        }
        if (!found) poll(&p, 1, 100);
    }
    if (found) printf("%.1f 0x%x\n", elapsed, window);
    fflush(stdout);
    if (!keep) kill(-pid, endSignal);
    waitpid(pid, NULL, 0);
    xcb_disconnect(x);
    return found ? 0 : 1;
}
