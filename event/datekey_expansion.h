/*
 * datekey_expansion.h - the occurrences an event's date keys give, with
 * user events used as date keys expanded once per event and chain depth.
 *
 * A user event used as a key gives its timing values (each repeated by
 * its PERIOD= interval when it has one) and then the occurrences of its
 * own keys in order, user keys expanded again.  Keys that share user
 * events (A keyed by B and C, both keyed by D) would list D's occurrences
 * once per path.  Here each user event is expanded once per chain depth
 * and what names it refers to that expansion, so time and memory grow
 * with the key links, not with the paths.
 *
 * Under a rule whose result does not change when an earlier copy of a
 * value is merged again before its last copies, repeats are dropped while
 * the expansion is built, keeping the last copies of each occurrence: the
 * last one under MAX, MIN, MINNZ (the result is the extreme of the values
 * met) and MINMAG (the last of the smallest magnitude), the last two under
 * AND and OR (a value merged alone into nothing is kept as it is, two or
 * more give 0 or 1).  An occurrence writes the same values wherever it
 * comes, so at every observation the merges keep their outcome, and the
 * status of the last occurrence that fails stays the last.  Under ADD and
 * MULT every path is an occurrence of its own: they are visited one by one
 * through the shared expansions, or counted per distinct occurrence
 * (copies) for a merge of them all at once (exact_copies.h).
 *
 * An expansion that writes a note (an unknown key, a chain too deep, a key
 * that fails) is built again wherever it is met, so that the log keeps a
 * note per path.
 *
 * Exports: ZTSEV_OCCURRENCE, ZTSEV_REPEATED, ZTSEV_COPIES_CAP, ZTSEVKeyExpansion.
 */
#ifndef ORV_EVENT_DATEKEY_EXPANSION_H
#define ORV_EVENT_DATEKEY_EXPANSION_H

#include <cstdint>
#include <deque>
#include <map>
#include <utility>
#include <vector>

#include "event/event_records.h"

/* One occurrence: a timing value and its kind (4, 8 or 10). */
struct ZTSEV_OCCURRENCE {
    double value;
    int32_t kind;
};

/* An occurrence and the number of its copies. */
struct ZTSEV_REPEATED {
    ZTSEV_OCCURRENCE occurrence;
    int64_t copies;
};

/* Most copies of one occurrence that ZTSEVKeyExpansion::copies counts. */
constexpr int64_t ZTSEV_COPIES_CAP = int64_t(1) << 53;

class ZTSEVKeyExpansion {
public:
    /* The occurrences of one key or user event: occurrences[0, pos) of
     * each insert, then its expansion, and so on; the rest at the end. */
    struct Node {
        std::vector<ZTSEV_OCCURRENCE> occurrences;
        std::vector<std::pair<size_t, const Node *>> inserts; /* by position */
        int32_t status = 0;
    };

    /* Expansions over series of the user events of datekeyList, for
     * occurrences merged by `rule`. */
    ZTSEVKeyExpansion(ZTSEV_LIST *datekeyList, const ZTSEV_SERIES *series, int rule);
    ~ZTSEVKeyExpansion();
    ZTSEVKeyExpansion(const ZTSEVKeyExpansion &) = delete;
    ZTSEVKeyExpansion &operator=(const ZTSEVKeyExpansion &) = delete;

    /*
     * The occurrences of date key `index` of event at chain depth `depth`
     * (the event's own keys at 0), by its code: a custom season (above
     * 10000), a user event (19) expanded at depth + 1, or a built-in key
     * widened by the event's effective qualifiers (status 22, not defined
     * for the series interval, is cleared).
     * Outputs: *user (may be null) the user event, or null; *status: that
     * of the key, or for a user key the last status of its expansion; 13
     * for an unknown user key (note (883, 602)), a chain deeper than
     * ZTSEV_USER_KEY_DEPTH (note (883, 604) when it leads back to itself,
     * (883, 621) when it is only deeper), and (883, 603) when the
     * expansion gives 13.
     * Returns the expansion, or null when the key gives none.
     */
    const Node *key(const ZTSEV_EVENT *event, int64_t index, int depth, const ZTSEV_EVENT **user,
                    int32_t *status);

    /* The expansion of user event at chain depth `depth`: its timing
     * values, then its keys'; its status is the last status met. */
    const Node *user(const ZTSEV_EVENT *event, int depth);

    /* Calls visit(value, kind) for every occurrence of node in order while
     * it returns true; returns false when visit stopped it. */
    template <class Visit>
    static bool forEach(const Node *node, Visit &&visit)
    {
        size_t done = 0;
        for (const auto &[position, inner] : node->inserts) {
            for (; done < position; ++done)
                if (!visit(node->occurrences[done].value, node->occurrences[done].kind)) return false;
            if (!forEach(inner, visit)) return false;
        }
        for (; done < node->occurrences.size(); ++done)
            if (!visit(node->occurrences[done].value, node->occurrences[done].kind)) return false;
        return true;
    }

    /* The distinct occurrences of node (by value bits and kind), each with
     * the number of its copies, in the order of their first copies.
     * Returns false when a number passes ZTSEV_COPIES_CAP. */
    bool copies(const Node *node, std::vector<ZTSEV_REPEATED> *out);

private:
    MEMORY_OBJECT *scratch();
    void note(int number, const char *name, int length);
    void timingOccurrences(const ZTSEV_EVENT *event, Node &node);
    void builtinOccurrences(const ZTSEV_EVENT *event, int64_t code, const ORV_COUNTED_NAME &name, Node &node);
    void splice(Node &node, const Node *inner);
    void dropRepeats(Node &node) const;

    ZTSEV_LIST *datekeyList_;
    const ZTSEV_SERIES *series_;
    int copiesKept_;            /* copies of an occurrence kept; 0 all */
    MEMORY_OBJECT *scratch_ = nullptr; /* runs and key dates, made when first needed */
    int64_t notes_ = 0;         /* notes written so far */
    std::deque<Node> nodes_;    /* every expansion built; addresses stay */
    std::map<std::pair<const ZTSEV_EVENT *, int>, const Node *> built_; /* by (user event, depth) */
    std::map<const Node *, std::vector<ZTSEV_REPEATED>> counted_;        /* copies by expansion */
};

#endif
