#include "gen/necklace.h"

#include <cstdlib>
#include <ctime>
#include <new>

#include "tui/ui.h"

stgc perebor;

void shift(int* word, int n) {
    int doubled = *word << 1;
    *word = (doubled | ((doubled >> n) & 1)) & ((1 << n) - 1);
}

int rotated(int word, int times, int n) {
    times %= n;
    if (times == 0) return word;
    const unsigned mask = (1u << n) - 1;
    unsigned w = static_cast<unsigned>(word);
    return static_cast<int>(((w << times) | (w >> (n - times))) & mask);
}

unsigned char chetny(int value) {
    unsigned char even = 1;
    for (; value > 0; value >>= 1)
        if (value & 1) even ^= 1;
    return even;
}

int bits_in(int value) {
    int count = 0;
    for (; value > 0; value >>= 1) count += value & 1;
    return count;
}

int NOD(int a, int b) {
    while (a != 0) {
        int r = b % a;
        b = a;
        a = r;
    }
    return b;
}

stgc::~stgc() { delete_tree(); }

void stgc::delete_tree() {
    delete[] even_necklaces;
    delete[] odd_necklaces;
    even_necklaces = nullptr;
    odd_necklaces = nullptr;
    std::vector<int32_t>().swap(place_);
}

void stgc::make_tree(int n) {
    bodymsg("...Generating step 1...\n");
    make_tables(n);
    bodymsgf("size: %i,%i\n", even_count, odd_count);
    const int* lists[2] = {even_necklaces, odd_necklaces};
    const int counts[2] = {even_count, odd_count};
    for (int l = 0; l < 2; ++l) {
        bodymsg("<");
        for (int i = 0; i < counts[l]; ++i) bodymsgf("%x,", lists[l][i]);
        bodymsg(">\n");
    }
}

void stgc::make_tables(int n) {
    delete_tree();
    even_count = 0;
    odd_count = 0;
    heads = n;

    std::vector<int> evens, odds;
    if (n >= 1 && n <= kMaxHeads) try {
        // One pass over all words: the first word met of each rotation class is its smallest,
        // so marking the whole class at once leaves every later member already placed.
        const int words = 1 << n;
        place_.assign(static_cast<std::size_t>(words), -2);
        for (int k = 0; k < words; ++k) {
            if (place_[static_cast<std::size_t>(k)] != -2) continue;
            int w = k;
            bool periodic = false;
            for (int s = 1; s < n && !periodic; ++s) {
                shift(&w, n);
                periodic = (w == k);
            }
            int32_t mark = -1;
            if (!periodic) {
                std::vector<int>& list = chetny(k) ? evens : odds;
                mark = static_cast<int32_t>(list.size()) * 32;
                list.push_back(k);
            }
            w = k;
            for (int s = 0; s < n; ++s) {
                place_[static_cast<std::size_t>(w)] = periodic ? -1 : mark + s;
                shift(&w, n);
            }
        }
        even_necklaces = new int[evens.size() > 0 ? evens.size() : 1];
        odd_necklaces = new int[odds.size() > 0 ? odds.size() : 1];
        for (std::size_t i = 0; i < evens.size(); ++i) even_necklaces[i] = evens[i];
        for (std::size_t i = 0; i < odds.size(); ++i) odd_necklaces[i] = odds[i];
        even_count = static_cast<int>(evens.size());
        odd_count = static_cast<int>(odds.size());
    } catch (const std::bad_alloc&) {
        // Whatever step ran out of memory, nothing stays held.
        delete_tree();
        throw;
    }
}

int algorithm1(int n, int* max_quality) {
    return algorithm1(n, max_quality, static_cast<unsigned>(time(nullptr)));
}

int algorithm1(int n, int* max_quality, unsigned seed) {
    srand(seed);
    perebor.make_tree(n);
    if (perebor.even_count > perebor.odd_count) bodymsg("Unknown error in algorithm...");
    *max_quality = 2 * perebor.even_count * n;
    return 0;
}

int undo_alg1() {
    perebor.delete_tree();
    return 0;
}
