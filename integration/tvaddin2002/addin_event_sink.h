#ifndef ADDIN_EVENT_SINK_H
#define ADDIN_EVENT_SINK_H
// One sink of host events: an IDispatch that answers for the source's
// event interface and writes an echo of each event into a pane.
#include "addin_disp.h"
#include "addin_event_table.h"

#include <string>
#include <vector>

// Makes a sink for the source's event interface `iid`; `names` (may be
// null) gives event names by DISPID.  The sink holds its own references.
IDispatch *event_sink_make(const event_source_t *source, REFIID iid, ITypeInfo *names,
                           IDispatch *dte, IDispatch *pane);

// Writes the echo lines of one event; `args` are in the source's order.
// `event` is the host's name of the event.
void event_echo(const event_source_t *source, const std::wstring &event, IDispatch *dte,
                IDispatch *pane, const std::vector<VARIANT> &args);

#endif
