#include "firstframereport.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

void reportFirstFrameNow()
{
    const char *path = std::getenv("TOLVAN_REPORT_FIRST_FRAME");
    if (path == nullptr || *path == '\0') {
        return;
    }
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (FILE *file = std::fopen(path, "a")) {
        std::fprintf(file, "first-frame %lld\n",
                     static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
        std::fclose(file);
    }
}
