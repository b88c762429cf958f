// Echoes of the host's events, asked for with TVADDIN_DEBUG: the sources
// joined, the lines written into the event pane for each event, and every
// source left again on disconnection.
#include "addin_fixture.h"
#include "fake_events.h"

#include <tuple>

using namespace addin_test;
using fakehost::event_source;

namespace {

// An identifier of the stand-in's own for each event interface.
const GUID kDocEventsIid = {0x3a1c0001, 0x7d2e, 0x4b5f, {0x9a, 0x10, 0x22, 0x33, 0x44, 0x55, 0x66, 0x01}};
const GUID kTextEventsIid = {0x3a1c0002, 0x7d2e, 0x4b5f, {0x9a, 0x10, 0x22, 0x33, 0x44, 0x55, 0x66, 0x02}};

VARIANT v_obj(IDispatch *p)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_DISPATCH;
    v.pdispVal = p;
    return v;
}

VARIANT v_str(BSTR b)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = b;
    return v;
}

VARIANT v_num(long n, VARTYPE vt = VT_I4)
{
    VARIANT v;
    VariantInit(&v);
    v.vt = vt;
    if (vt == VT_BOOL)
        v.boolVal = n ? VARIANT_TRUE : VARIANT_FALSE;
    else
        v.lVal = n;
    return v;
}

} // namespace

TEST_F(AddinHost, EchoFlagJoinsEveryEventSource)
{
    remake_with_echoes();
    ASSERT_EQ(connect(1), S_OK);
    EXPECT_EQ(h.calls_to("OutputWindowPanes.Add"),
              std::vector<std::string>{"OutputWindowPanes.Add(\"DTE Event Information\")"});
    EXPECT_EQ(h.calls_to("Events."),
              (std::vector<std::string>{
                  "Events.TaskListEvents(\"\")",
                  "Events.DTEEvents",
                  "Events.CommandEvents(\"{00000000-0000-0000-0000-000000000000}\", 0)",
                  "Events.SelectionEvents",
                  "Events.BuildEvents",
                  "Events.SolutionEvents",
                  "Events.DocumentEvents(null)",
                  "Events.TextEditorEvents(null)",
                  "Events.WindowEvents(null)",
                  "Events.OutputWindowEvents(\"\")",
                  "Events.FindEvents",
              }));
}


TEST_F(AddinHost, EchoesEventsIntoTheEventPaneUntilDisconnected)
{
    // The host names these events without "On" for some and with it for
    // others; the echo carries our own names.
    event_source docs(kDocEventsIid, {L"DocumentSaved", L"DocumentClosing", L"DocumentOpened",
                                      L"DocumentOpening"});
    event_source text(kTextEventsIid, {L"LineChanged"});
    ASSERT_TRUE(docs.ready() && text.ready());
    events->on("DocumentEvents", [&docs](const std::vector<VARIANT> &, VARIANT *r) {
        r->vt = VT_DISPATCH;
        r->pdispVal = &docs;
        docs.AddRef();
        return S_OK;
    });
    events->on("TextEditorEvents", [&text](const std::vector<VARIANT> &, VARIANT *r) {
        r->vt = VT_DISPATCH;
        r->pdispVal = &text;
        text.AddRef();
        return S_OK;
    });
    fakehost::object *doc = h.make("EchoDoc");
    doc->returns("Name", std::wstring(L"main file.c"));
    fakehost::object *text_doc = h.make("EchoTextDoc");
    text_doc->returns("Parent", doc);
    fakehost::object *start = h.make("Start"), *end = h.make("End");
    for (auto [p, line, col] : {std::tuple{start, 3L, 1L}, std::tuple{end, 5L, 9L}}) {
        p->returns("Parent", text_doc);
        p->returns("Line", line);
        p->returns("LineCharOffset", col);
    }

    remake_with_echoes();
    ASSERT_EQ(connect(1), S_OK);
    ASSERT_TRUE(docs.advised() && text.advised());
    h.journal().clear();

    EXPECT_EQ(docs.fire(3, {v_obj(doc)}), S_OK);
    BSTR path = SysAllocString(L"C:\\src\\a.c");
    EXPECT_EQ(docs.fire(4, {v_str(path), v_num(1, VT_BOOL)}), S_OK);
    SysFreeString(path);
    EXPECT_EQ(text.fire(1, {v_obj(start), v_obj(end), v_num(0x14)}), S_OK);
    EXPECT_EQ(h.calls_to("Pane.OutputString"),
              (std::vector<std::string>{
                  "Pane.OutputString(\"DocumentEvents::DocumentOpened\n"
                  "\tDocument name: main file.c\n\")",
                  "Pane.OutputString(\"DocumentEvents::DocumentOpening\n"
                  "\tDocument path: C:\\src\\a.c\n\tDocument read only: True\n\")",
                  "Pane.OutputString(\"TextEditorEvents::LineChanged\n"
                  "\tDocument Name: main file.c\n\tLocation: (3 X 1 , 5 X 9)\n"
                  "\tvsTextChangedCaretMoved\n\tvsTextChangedNewline\n\")",
              }));

    ASSERT_EQ(disconnect(), S_OK);
    EXPECT_FALSE(docs.advised());
    EXPECT_FALSE(text.advised());
    EXPECT_EQ(docs.refs(), 1);
    EXPECT_EQ(text.refs(), 1);
}
