/* A spinning disk, simulated: a read-only FUSE file system that passes
 * reads through to a folder of files and charges each read the time a
 * 7,200 rpm disk would take.
 *
 * The model: the files lie one after another on the disk in the order of
 * their names. A read costs its bytes at RATE (100 MB/s), and when it does
 * not begin where the disk's last read ended, a seek of SEEK (8 ms: an
 * average seek and half a turn) first. One request is served at a time
 * (run single-threaded, -s), and direct_io makes every read of a program
 * reach the model (no page cache in between). Opening, listing and stat
 * cost nothing.
 *
 *   slowdisk <folder> <mountpoint> -s [-f]
 */
#define FUSE_USE_VERSION 31
#define _GNU_SOURCE

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <fuse.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#define RATE 100e6
#define SEEK 0.008
#define MOST_FILES 100000

static const char *source;
static struct {
    char name[NAME_MAX + 1];
    uint64_t start;
} layout[MOST_FILES];
static int files;
static uint64_t head; /* where the disk's last read ended */

static int by_name(const void *a, const void *b) { return strcmp(a, b); }

/* The files' places on the disk: in name order, each after the last. */
static void lay_out(void) {
    DIR *dir = opendir(source);
    struct dirent *entry;
    while (dir && (entry = readdir(dir)) && files < MOST_FILES) {
        if (entry->d_name[0] != '.') snprintf(layout[files++].name, NAME_MAX + 1, "%s", entry->d_name);
    }
    if (dir) closedir(dir);
    qsort(layout, files, sizeof layout[0], by_name);
    uint64_t next = 0;
    for (int i = 0; i < files; ++i) {
        char path[PATH_MAX];
        struct stat info;
        snprintf(path, sizeof path, "%s/%.255s", source, layout[i].name);
        layout[i].start = next;
        if (stat(path, &info) == 0) next += (uint64_t)info.st_size;
    }
}

static uint64_t start_of(const char *name) {
    for (int i = 0; i < files; ++i) {
        if (strcmp(layout[i].name, name) == 0) return layout[i].start;
    }
    return 0;
}

static void charge(uint64_t where, size_t size) {
    double seconds = (double)size / RATE + (where != head ? SEEK : 0);
    struct timespec wait = {(time_t)seconds, (long)((seconds - (double)(time_t)seconds) * 1e9)};
    while (nanosleep(&wait, &wait) != 0 && errno == EINTR) {
    }
    head = where + size;
}

static void backing(char *path, const char *name) { snprintf(path, PATH_MAX, "%s%s", source, name); }

static int sd_getattr(const char *name, struct stat *info, struct fuse_file_info *fi) {
    (void)fi;
    char path[PATH_MAX];
    backing(path, name);
    return lstat(path, info) == 0 ? 0 : -errno;
}

static int sd_readdir(const char *name, void *buffer, fuse_fill_dir_t fill, off_t offset,
                      struct fuse_file_info *fi, enum fuse_readdir_flags flags) {
    (void)offset, (void)fi, (void)flags;
    char path[PATH_MAX];
    backing(path, name);
    DIR *dir = opendir(path);
    if (!dir) return -errno;
    struct dirent *entry;
    while ((entry = readdir(dir))) fill(buffer, entry->d_name, NULL, 0, 0);
    closedir(dir);
    return 0;
}

static int sd_open(const char *name, struct fuse_file_info *fi) {
    char path[PATH_MAX];
    backing(path, name);
    if ((fi->flags & O_ACCMODE) != O_RDONLY) return -EROFS;
    int fd = open(path, O_RDONLY);
    if (fd < 0) return -errno;
    fi->fh = (uint64_t)fd;
    fi->direct_io = 1;
    return 0;
}

static int sd_read(const char *name, char *buffer, size_t size, off_t offset, struct fuse_file_info *fi) {
    ssize_t got = pread((int)fi->fh, buffer, size, offset);
    if (got < 0) return -errno;
    charge(start_of(name + 1) + (uint64_t)offset, (size_t)got);
    return (int)got;
}

static int sd_release(const char *name, struct fuse_file_info *fi) {
    (void)name;
    close((int)fi->fh);
    return 0;
}

static const struct fuse_operations operations = {
    .getattr = sd_getattr,
    .readdir = sd_readdir,
    .open = sd_open,
    .read = sd_read,
    .release = sd_release,
};

int main(int argc, char *argv[]) {
    if (argc < 3) {
        fprintf(stderr, "usage: slowdisk <folder> <mountpoint> [fuse options]\n");
        return 2;
    }
    source = realpath(argv[1], NULL);
    if (!source) return perror(argv[1]), 2;
    lay_out();
    argv[1] = argv[0];
    return fuse_main(argc - 1, argv + 1, &operations, NULL);
}
