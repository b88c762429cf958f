#ifndef ADDIN_EVENTS_H
#define ADDIN_EVENTS_H
// Echoes of the host's automation events into an Output-window pane, for
// finding out what the host does while the add-in runs.  Each source is
// joined through its connection point; the sinks answer by name, with the
// event names read from the host's own type information.
#include "addin_disp.h"

#include <ocidl.h>

#include <vector>

class addin_event_set {
public:
    addin_event_set() = default;
    ~addin_event_set() { disconnect(); }
    addin_event_set(const addin_event_set &) = delete;
    addin_event_set &operator=(const addin_event_set &) = delete;

    // Joins every source of the host's Events object; the sinks write into
    // `pane`.  Sources that cannot be joined are skipped.  Returns the
    // number joined.
    int connect(IDispatch *dte, IDispatch *events, IDispatch *pane);
    // Leaves every joined source and drops every reference.
    void disconnect();

private:
    struct joined_t {
        IConnectionPoint *jn_point;
        DWORD jn_cookie;
    };
    std::vector<joined_t> es_joined;
};

#endif
