/* The bare loop that trovik-scan is timed against: the least a program can do to give the same
 * verdicts. It walks the folders by reading their entries (trusting the entry's type, no stat),
 * opens each regular file, reads once up to 32000 bytes, looks for the signatures with a
 * memchr-anchored search, closes the file and prints "PATH: CLEAN" or "PATH: PASSWORD STEALER".
 * Entries are not sorted and nothing is checked that the walk does not need.
 *
 *     baseline-loop [-j 1|2] [-m] FOLDER
 *
 * With -j 2, the walk lists every file first and two threads scan them, taking the next file from
 * a shared counter; the verdicts are printed when both are done. With -m the loop searches with
 * trovik's own matcher instead, so that what remains between the two programs is the rest of the
 * work per file. */
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <stdatomic.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

enum { WINDOW = 32000 };

static const char* const signatures[] = {
    "Change Your Password",
    "SOFTWARE\\Borland\\Delphi\\RTL",
    "SEXSTORY",
};

int trovik_find_signature(const unsigned char* bytes, size_t size);

static int useMatcher; /* -m: search with trovik's matcher */

static int search(const unsigned char* bytes, size_t size) {
    if (useMatcher) {
        return trovik_find_signature(bytes, size);
    }
    for (size_t k = 0; k < sizeof signatures / sizeof signatures[0]; ++k) {
        const char* sig = signatures[k];
        const size_t length = strlen(sig);
        const int firsts[2] = {sig[0] | 0x20, sig[0] & ~0x20};
        for (int f = 0; f < 2; ++f) {
            const unsigned char* at = bytes;
            const unsigned char* end = bytes + size;
            while (at < end && (at = memchr(at, firsts[f], (size_t)(end - at))) != NULL) {
                if ((size_t)(end - at) >= length &&
                    strncasecmp((const char*)at, sig, length) == 0) {
                    return 1;
                }
                ++at;
            }
        }
    }
    return 0;
}

/* 1 for a stealer, 0 for clean, -1 when the file cannot be opened or read. */
static int scan(const char* path) {
    static _Thread_local unsigned char buffer[WINDOW];
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    const ssize_t got = read(fd, buffer, WINDOW);
    close(fd);
    if (got < 0) {
        return -1;
    }
    return search(buffer, (size_t)got);
}

static const char* verdictText(int verdict) {
    return verdict > 0 ? "PASSWORD STEALER" : verdict == 0 ? "CLEAN" : "UNREADABLE";
}

struct Files {
    char** paths;
    size_t count;
    size_t capacity;
};

static int scanNow; /* scan each file as the walk meets it, instead of listing it */

static void meetFile(struct Files* files, const char* path) {
    if (scanNow) {
        printf("%s: %s\n", path, verdictText(scan(path)));
        return;
    }
    if (files->count == files->capacity) {
        files->capacity = files->capacity ? 2 * files->capacity : 4096;
        files->paths = realloc(files->paths, files->capacity * sizeof *files->paths);
        if (files->paths == NULL) {
            perror("realloc");
            exit(2);
        }
    }
    files->paths[files->count++] = strdup(path);
}

static void walk(const char* folder, struct Files* files) {
    DIR* dir = opendir(folder);
    if (dir == NULL) {
        perror(folder);
        return;
    }
    char path[4096];
    const struct dirent* entry;
    while ((entry = readdir(dir)) != NULL) {
        if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0) {
            continue;
        }
        snprintf(path, sizeof path, "%s/%s", folder, entry->d_name);
        unsigned char type = entry->d_type;
        if (type == DT_UNKNOWN) {
            struct stat status;
            if (lstat(path, &status) != 0) {
                continue;
            }
            type = S_ISDIR(status.st_mode) ? DT_DIR : S_ISREG(status.st_mode) ? DT_REG : DT_UNKNOWN;
        }
        if (type == DT_DIR) {
            walk(path, files);
        } else if (type == DT_REG) {
            meetFile(files, path);
        }
    }
    closedir(dir);
}

static struct Files listed;
static int* verdicts;
static atomic_size_t next;

static void* worker(void* unused) {
    (void)unused;
    for (;;) {
        const size_t i = atomic_fetch_add_explicit(&next, 1, memory_order_relaxed);
        if (i >= listed.count) {
            return NULL;
        }
        verdicts[i] = scan(listed.paths[i]);
    }
}

int main(int argc, char** argv) {
    int threads = 1;
    int opt;
    while ((opt = getopt(argc, argv, "j:m")) != -1) {
        if (opt == 'j') {
            threads = atoi(optarg);
        } else if (opt == 'm') {
            useMatcher = 1;
        } else {
            return 2;
        }
    }
    if (optind + 1 != argc || threads < 1 || threads > 2) {
        fprintf(stderr, "usage: %s [-j 1|2] [-m] FOLDER\n", argv[0]);
        return 2;
    }
    static char output[1 << 16];
    setvbuf(stdout, output, _IOFBF, sizeof output);

    if (threads == 1) {
        scanNow = 1;
        walk(argv[optind], &listed);
        return 0;
    }

    walk(argv[optind], &listed);
    verdicts = calloc(listed.count ? listed.count : 1, sizeof *verdicts);
    pthread_t pool[2];
    for (int t = 0; t < threads; ++t) {
        pthread_create(&pool[t], NULL, worker, NULL);
    }
    for (int t = 0; t < threads; ++t) {
        pthread_join(pool[t], NULL);
    }
    for (size_t i = 0; i < listed.count; ++i) {
        printf("%s: %s\n", listed.paths[i], verdictText(verdicts[i]));
    }
    return 0;
}
