#include "code/runlist.h"

#include <cstddef>

int* global_stgc = nullptr;

void replace_global_stgc(int* fresh) {
    int* old = global_stgc;
    global_stgc = fresh;
    delete[] old;
}

int* make_runlist(const std::vector<int>& runs) {
    int* list = new int[runs.size() + 1];
    for (std::size_t i = 0; i < runs.size(); ++i)
        list[i] = runs[i];
    list[runs.size()] = 0;
    return list;
}

std::vector<int> runs_of(const int* runs) {
    std::vector<int> out;
    if (!runs) return out;
    for (; *runs != 0; ++runs)
        out.push_back(*runs);
    return out;
}

run_extremes extremes_of(const int* runs) {
    run_extremes e;
    if (!runs) return e;
    for (std::size_t i = 0; runs[i] != 0; ++i) {
        const int run = runs[i];
        int& kind = i % 2 == 0 ? e.shortest_gap : e.shortest_cog;
        if (kind == 0 || run < kind) kind = run;
        if (e.shortest == 0 || run < e.shortest) e.shortest = run;
        if (run > e.longest) e.longest = run;
    }
    return e;
}
