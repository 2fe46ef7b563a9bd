#include "gen/transitions.h"

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
