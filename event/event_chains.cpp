/*
 * event_chains.cpp - cycles in chains of user date keys (see
 * event_chains.h).
 */
#include "event/event_chains.h"

#include <unordered_map>
#include <vector>

#include "event/event_list.h"
#include "event/event_support.h"

namespace {

/* The user events that event names as its date keys. */
std::vector<const ZTSEV_EVENT *> userKeys(ZTSEV_LIST *list, const ZTSEV_EVENT *event)
{
    std::vector<const ZTSEV_EVENT *> keys;
    for (int64_t k = 0; k < event->datekeyCount; ++k) {
        if (event->datekeyCodes[k] != ZTSEV_USER_DATEKEY) continue;
        const ORV_COUNTED_NAME &stored = event->datekeyNames[k];
        const ZTSEV_NAMETEXT name = ztsevNameText(stored.text, ZTSEVlenORVname(stored.text));
        int status = 0;
        const ZTSEV_EVENT *key = ZTSEVFindEvent(list, name.text, &status);
        if (key != nullptr) keys.push_back(key);
    }
    return keys;
}

}  // namespace

/* Depth-first walk from start: true when it meets an event that is still
 * on its path.  Iterative, so that a long chain needs no deep stack. */
bool ztsevUserKeyLeadsBack(ZTSEV_LIST *list, const ZTSEV_EVENT *start)
{
    if (list == nullptr || start == nullptr) return false;
    enum : int { kOnPath = 1, kDone = 2 };
    struct Frame {
        const ZTSEV_EVENT *event;
        std::vector<const ZTSEV_EVENT *> next;
        size_t i;
    };
    std::unordered_map<const ZTSEV_EVENT *, int> state;
    std::vector<Frame> path;
    state[start] = kOnPath;
    path.push_back(Frame{start, userKeys(list, start), 0});
    while (!path.empty()) {
        Frame &top = path.back();
        if (top.i == top.next.size()) {
            state[top.event] = kDone;
            path.pop_back();
            continue;
        }
        const ZTSEV_EVENT *event = top.next[top.i++];
        int &seen = state[event];
        if (seen == kOnPath) return true;
        if (seen == kDone) continue;
        seen = kOnPath;
        path.push_back(Frame{event, userKeys(list, event), 0});
    }
    return false;
}
