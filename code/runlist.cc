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
    for (std::size_t i = 0; i < runs.size(); ++i) list[i] = runs[i];
    list[runs.size()] = 0;
    return list;
}

std::vector<int> runs_of(const int* runs) {
    std::vector<int> out;
    if (!runs) return out;
    for (; *runs != 0; ++runs) out.push_back(*runs);
    return out;
}
