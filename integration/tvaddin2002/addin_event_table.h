#ifndef ADDIN_EVENT_TABLE_H
#define ADDIN_EVENT_TABLE_H
// The event sources the add-in echoes, and the detail lines of each event.
#include <windows.h>
#include <ole2.h>

// How an argument of an event becomes a detail line.
enum detail_kind_t {
    DK_TEXT,            // the argument as text
    DK_NUMBER,          // the argument as a decimal number
    DK_BOOL,            // "True" or "False"
    DK_NAME,            // the argument object's Name
    DK_CAPTION,         // the argument object's Caption
    DK_COMMAND,         // the command named by the GUID and ID arguments
    DK_SELECTION,       // the names of the host's selected items
    DK_SCOPE,           // a build scope
    DK_ACTION,          // a build action
    DK_POINT_DOC,       // the document of a text point
    DK_LOCATION,        // start and end points
    DK_HINTS,           // the text-change hint bits, one line each
    DK_RECT,            // top, left, width and height
};

struct event_detail_t {
    const char *ed_label;   // written first; DK_BOOL adds the value and a newline
    int ed_arg;             // index of the (first) argument used
    detail_kind_t ed_kind;
};

constexpr int EVENT_DETAILS_MAX = 5;

struct event_row_t {
    const wchar_t *ev_name;         // the name echoed
    event_detail_t ev_details[EVENT_DETAILS_MAX];
    int ev_count;
};

// How the Events object is asked for the source.
enum source_filter_t {
    SF_NONE,            // a property without arguments
    SF_EMPTY_TEXT,      // one empty text: every item
    SF_ALL_COMMANDS,    // the null GUID and ID 0: every command
    SF_NO_OBJECT,       // one null object: every item
};

struct event_source_t {
    const wchar_t *es_name;         // property of Events and prefix of the echo
    source_filter_t es_filter;
    const event_row_t *es_events;
    int es_count;
};

extern const event_source_t g_event_sources[];
extern const int g_event_source_count;

#endif
