#include "gen/code_build.h"

std::vector<int> build_readings(const stgc& tables, const std::vector<int>& cycle,
                                const cycle_edges& edges, const std::vector<int>& choice, int sh) {
    const int n = tables.heads;
    const int m = static_cast<int>(cycle.size());
    const std::size_t block = 2 * static_cast<std::size_t>(m);
    std::vector<int> readings(block * static_cast<std::size_t>(n));
    int acc = 0;
    for (int e = 0; e < m; ++e) {
        const transition& tr = edges.at(e, choice[e]);
        readings[2 * e] = rotated(tables.even_necklaces[cycle[e]], acc % n, n);
        readings[2 * e + 1] = rotated(tr.word, acc % n, n);
        acc += tr.rotation;
    }
    for (std::size_t k = block; k < readings.size(); ++k)
        readings[k] = rotated(readings[k - block], sh % n, n);
    return readings;
}

bool runs_from_readings(const std::vector<int>& readings, int run_count, std::vector<int>& runs) {
    runs.clear();
    const std::size_t q = readings.size();
    if (q == 0 || run_count <= 0) return false;
    std::size_t p = 0;
    while (p < q && !((readings[p] & 1) == 0 && (readings[(p + 1) % q] & 1) == 1)) ++p;
    if (p == q) return false;
    std::size_t next = (p + 1) % q;
    runs.assign(static_cast<std::size_t>(run_count), 0);
    int idx = 0;
    for (std::size_t k = 0; k < q; ++k) {
        ++runs[static_cast<std::size_t>(idx)];
        p = (p + 1) % q;
        next = (next + 1) % q;
        if ((readings[p] & 1) != (readings[next] & 1) && ++idx == run_count && k + 1 < q) {
            runs.clear();
            return false;
        }
    }
    if (idx != run_count) {
        runs.clear();
        return false;
    }
    return true;
}
