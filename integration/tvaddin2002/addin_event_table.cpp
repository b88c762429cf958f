// The eleven event sources and the lines echoed for each of their events.
#include "addin_event_table.h"

namespace {

template <size_t N>
constexpr int count_of(const event_row_t (&)[N])
{
    return (int)N;
}

constexpr event_row_t kTaskList[] = {
    {L"OnTaskAdded", {}, 0},
    {L"OnTaskRemoved", {}, 0},
    {L"OnTaskModified", {}, 0},
    {L"OnTaskNavigated", {}, 0},
};

constexpr event_row_t kDte[] = {
    {L"OnStartupComplete", {}, 0},
    {L"OnBeginShutdown", {}, 0},
    {L"ModeChanged", {}, 0},
    {L"OnMacrosRuntimeReset", {}, 0},
};

constexpr event_row_t kCommand[] = {
    {L"BeforeExecute",
     {{"\tCommand name: ", 0, DK_COMMAND}, {"\tCommand guid: ", 0, DK_TEXT},
      {"\tCommand ID: ", 1, DK_NUMBER}},
     3},
    {L"AfterExecute",
     {{"\tCommand name: ", 0, DK_COMMAND}, {"\tCommand guid: ", 0, DK_TEXT},
      {"\tCommand ID: ", 1, DK_NUMBER}},
     3},
};

constexpr event_row_t kSelection[] = {
    {L"OnChange", {{"\tSelected item name: ", 0, DK_SELECTION}}, 1},
};

constexpr event_row_t kBuild[] = {
    {L"OnBuildBegin", {{"\tBuild scope: ", 0, DK_SCOPE}, {"\tBuild action: ", 1, DK_ACTION}}, 2},
    {L"OnBuildDone", {{"\tBuild scope: ", 0, DK_SCOPE}, {"\tBuild action: ", 1, DK_ACTION}}, 2},
    {L"OnBuildProjConfigBegin",
     {{"\tProject name: ", 0, DK_TEXT}, {"\tProject configuration: ", 1, DK_TEXT},
      {"\tPlatform: ", 2, DK_TEXT}, {"\tSolution configuration: ", 3, DK_TEXT}},
     4},
    {L"OnBuildProjConfigDone",
     {{"\tProject name: ", 0, DK_TEXT}, {"\tProject configuration: ", 1, DK_TEXT},
      {"\tPlatform: ", 2, DK_TEXT}, {"\tSolution configuration: ", 3, DK_TEXT},
      {"\tSuccess: ", 4, DK_BOOL}},
     5},
};

constexpr event_row_t kSolution[] = {
    {L"Opened", {}, 0},
    {L"BeforeClosing", {}, 0},
    {L"AfterClosing", {}, 0},
    {L"QueryCloseSolution", {}, 0},
    {L"Renamed", {{"\tSolution old name: ", 0, DK_TEXT}}, 1},
    {L"ProjectAdded", {{"\tProject name: ", 0, DK_NAME}}, 1},
    {L"ProjectRemoved", {{"\tProject name: ", 0, DK_NAME}}, 1},
    {L"ProjectRenamed", {{"\tProject name: ", 0, DK_NAME}, {"\tProject old name: ", 1, DK_TEXT}},
     2},
};

constexpr event_row_t kDocument[] = {
    {L"DocumentSaved", {{"\tDocument name: ", 0, DK_NAME}}, 1},
    {L"DocumentClosing", {{"\tDocument name: ", 0, DK_NAME}}, 1},
    {L"DocumentOpened", {{"\tDocument name: ", 0, DK_NAME}}, 1},
    {L"DocumentOpening",
     {{"\tDocument path: ", 0, DK_TEXT}, {"\tDocument read only: ", 1, DK_BOOL}},
     2},
};

constexpr event_row_t kTextEditor[] = {
    {L"LineChanged",
     {{"\tDocument Name: ", 0, DK_POINT_DOC}, {"\tLocation: ", 0, DK_LOCATION},
      {"", 2, DK_HINTS}},
     3},
};

constexpr event_row_t kWindow[] = {
    {L"WindowClosing", {{"\tWindow caption: ", 0, DK_CAPTION}}, 1},
    {L"WindowCreated", {{"\tWindow caption: ", 0, DK_CAPTION}}, 1},
    {L"WindowMoved", {{"\tWindow caption: ", 0, DK_CAPTION}, {"\tWindow location: ", 1, DK_RECT}},
     2},
    {L"WindowActivated",
     {{"\tWindow activated: ", 0, DK_CAPTION}, {"\tWindow losing focus: ", 1, DK_CAPTION}},
     2},
};

constexpr event_row_t kOutputWindow[] = {
    {L"PaneAdded", {{"\tPane name:", 0, DK_NAME}}, 1},
    {L"PaneClearing", {{"\tPane name:", 0, DK_NAME}}, 1},
};

constexpr event_row_t kFind[] = {
    {L"FindDone", {}, 0},
};

} // namespace

const event_source_t g_event_sources[] = {
    {L"TaskListEvents", SF_EMPTY_TEXT, kTaskList, count_of(kTaskList)},
    {L"DTEEvents", SF_NONE, kDte, count_of(kDte)},
    {L"CommandEvents", SF_ALL_COMMANDS, kCommand, count_of(kCommand)},
    {L"SelectionEvents", SF_NONE, kSelection, count_of(kSelection)},
    {L"BuildEvents", SF_NONE, kBuild, count_of(kBuild)},
    {L"SolutionEvents", SF_NONE, kSolution, count_of(kSolution)},
    {L"DocumentEvents", SF_NO_OBJECT, kDocument, count_of(kDocument)},
    {L"TextEditorEvents", SF_NO_OBJECT, kTextEditor, count_of(kTextEditor)},
    {L"WindowEvents", SF_NO_OBJECT, kWindow, count_of(kWindow)},
    {L"OutputWindowEvents", SF_EMPTY_TEXT, kOutputWindow, count_of(kOutputWindow)},
    {L"FindEvents", SF_NONE, kFind, count_of(kFind)},
};

const int g_event_source_count = (int)(sizeof g_event_sources / sizeof g_event_sources[0]);
