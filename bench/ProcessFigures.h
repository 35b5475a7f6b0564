#pragma once
// What a long run may not let grow: this process's resident memory, open file descriptors and
// threads, as Linux's /proc shows them.

namespace bench {

struct ProcessFigures {
    long residentKb = -1; // VmRSS
    int descriptors = -1; // entries of /proc/self/fd
    int threads = -1;     // entries of /proc/self/task

    static ProcessFigures Now();
};

} // namespace bench
