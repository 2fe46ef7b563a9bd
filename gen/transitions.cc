#include "gen/transitions.h"

#include <algorithm>

void transitions_between(const stgc& tables, int j, int k, std::vector<transition>& out) {
    out.clear();
    if (j == k) return;
    const int n = tables.heads;
    const int a = tables.even_necklaces[j];
    int w = tables.even_necklaces[k];
    for (int t = 0; t < n; ++t) {
        const int x = a ^ w;
        if (bits_in(x) == 2) {
            const int lo = x & -x;
            const int hi = x ^ lo;
            for (int flip : {lo, hi}) {
                transition e{t, a ^ flip, -1};
                int index, rotation;
                if (tables.locate(e.word, &index, &rotation)) e.odd = index;
                out.push_back(e);
            }
        }
        shift(&w, n);
    }
}

std::vector<int> even_neighbours(const stgc& tables, int i) {
    std::vector<int> found;
    const int n = tables.heads;
    const int a = tables.even_necklaces[i];
    for (int p = 0; p < n; ++p)
        for (int q = p + 1; q < n; ++q) {
            int index, rotation;
            // Two flips keep the parity, so a located word is an even necklace.
            if (tables.locate(a ^ (1 << p) ^ (1 << q), &index, &rotation) && index != i)
                found.push_back(index);
        }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

int half_edges_of(const stgc& tables, int x, half_edge* out) {
    const int n = tables.heads;
    const int word = tables.node_word(x);
    const int other_base = x < tables.even_count ? tables.even_count : 0;
    int count = 0;
    for (int bit = 0; bit < n; ++bit) {
        int index, rotation;
        if (tables.locate(word ^ (1 << bit), &index, &rotation))
            out[count++] = half_edge{other_base + index, rotation};
    }
    return count;
}
