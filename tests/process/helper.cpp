// SPDX-License-Identifier: MIT
// A program for the process tests; its arguments choose what it does, in order:
//   dump=FILE      writes its arguments (NUL-terminated), its standard input and the highest
//                  open descriptor to FILE
//   ignore-term    ignores SIGTERM from now on
//   ready=FILE     creates FILE, to tell that the arguments before it took effect
//   launch=PATH    starts PATH with "sleep=1500" and does not wait for it
//   sleep=MS       sleeps
//   kill=N         sends itself the signal N
//   exit=N         exits with N (the default is 0)
// Unknown arguments are ignored, so tests can pass any text.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <spawn.h>
#include <string>
#include <unistd.h>

extern char** environ;

namespace {

int highestDescriptor()
{
    int highest = -1;
    DIR* dir = opendir("/proc/self/fd");
    const int own = dir ? dirfd(dir) : -1;
    while (dirent* e = dir ? readdir(dir) : nullptr) {
        const int fd = std::atoi(e->d_name);
        if (e->d_name[0] != '.' && fd != own && fd > highest)
            highest = fd;
    }
    if (dir)
        closedir(dir);
    return highest;
}

void dump(const char* file, int argc, char** argv)
{
    // Looked at before the dump file adds a descriptor of its own.
    const int highest = highestDescriptor();
    char input[256] = {};
    const ssize_t n = readlink("/proc/self/fd/0", input, sizeof input - 1);
    FILE* f = std::fopen(file, "wb");
    if (!f)
        return;
    for (int i = 1; i < argc; ++i)
        std::fwrite(argv[i], 1, std::strlen(argv[i]) + 1, f);
    std::fprintf(f, "stdin=%s%cfds=%d%c", n > 0 ? input : "?", 0, highest, 0);
    std::fclose(f);
}

void launch(const char* path)
{
    char sleep[] = "sleep=1500";
    char* args[] = {const_cast<char*>(path), sleep, nullptr};
    pid_t pid;
    posix_spawn(&pid, path, nullptr, nullptr, args, environ);
}

} // namespace

int main(int argc, char** argv)
{
    int code = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a.rfind("dump=", 0) == 0)
            dump(a.c_str() + 5, argc, argv);
        else if (a == "ignore-term")
            std::signal(SIGTERM, SIG_IGN);
        else if (a.rfind("ready=", 0) == 0) {
            if (FILE* f = std::fopen(a.c_str() + 6, "w"))
                std::fclose(f);
        } else if (a.rfind("launch=", 0) == 0)
            launch(a.c_str() + 7);
        else if (a.rfind("sleep=", 0) == 0)
            usleep(useconds_t(std::atoi(a.c_str() + 6)) * 1000);
        else if (a.rfind("kill=", 0) == 0)
            raise(std::atoi(a.c_str() + 5));
        else if (a.rfind("exit=", 0) == 0)
            code = std::atoi(a.c_str() + 5);
    }
    return code;
}
