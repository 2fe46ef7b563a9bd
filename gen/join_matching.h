// Bookkeeping of the choice search: the edges of a cycle still to be decided, each matched to a
// different unused odd necklace (a certificate that they can all still get one), together with
// a rotation per edge that its matched odd necklace allows and the sum of those rotations.
// Every change can be journalled and undone.
#pragma once

#include <vector>

#include "gen/choice_search.h"

// Work counter shared by the search and its matching; polls for cancellation now and then.
struct work_meter {
    long long limit = 0; // <= 0: no limit
    long long work = 0;
    choice_status stop = choice_status::found; // found: not stopped
    bool spend(long long units);
};

class join_matching {
  public:
    join_matching(const cycle_edges& edges, int odd_count, work_meter& meter);

    int edges() const { return static_cast<int>(edge_match_.size()); }
    int match(int e) const { return edge_match_[e]; }
    int owner(int u) const { return odd_owner_[u]; }
    // The rotation the certificate uses on matched edge e.
    int rotation(int e) const { return edge_rotation_[e]; }
    // The sum of the certificate's rotations over the matched edges (not reduced mod n).
    int rotation_sum() const { return rotation_sum_; }
    // The rotations (bit mask) that edge e's entries with odd necklace u carry; 0 if none.
    unsigned rotations_of(int e, int u) const;

    // Odd necklaces taken by decided edges are out of reach of every search.
    void set_used(int u, bool used) { used_[u] = used ? 1 : 0; }
    bool used(int u) const { return used_[u] != 0; }
    // Restricts edge e to entries of rotation t (t < 0: any). Affects matches made afterwards.
    void restrict_rotation(int e, int t) { allowed_[e] = t; }

    void set_match(int e, int u); // e unmatched, u free and a candidate of e
    void clear_match(int e);      // e matched
    // Kuhn's alternating path from the unmatched edge root; false (nothing changed) if none.
    bool augment(int root);

    // Journal of changes for nested undo: mark() starts recording (if it is not on) and returns
    // a position; undo_to(position) takes back every change after it; finish_journal() keeps
    // all changes and stops recording.
    std::size_t mark();
    void undo_to(std::size_t position);
    void finish_journal();

  private:
    struct candidate {
        int odd;
        unsigned rotations;
    };
    struct change {
        int edge, match, rotation, odd, owner, rotation_sum;
    };
    bool allows(int e, const candidate& c) const {
        return allowed_[e] < 0 || ((c.rotations >> allowed_[e]) & 1u);
    }
    void record(int e, int u);

    work_meter& meter_;
    std::vector<int> start_;
    std::vector<candidate> candidates_;
    std::vector<int> edge_match_, edge_rotation_, allowed_;
    std::vector<int> odd_owner_;
    std::vector<char> used_;
    int rotation_sum_ = 0;
    std::vector<unsigned> seen_;
    unsigned visit_ = 0;
    struct frame {
        int edge, next, via;
    };
    std::vector<frame> stack_;
    bool journaling_ = false;
    std::vector<change> journal_;
};
