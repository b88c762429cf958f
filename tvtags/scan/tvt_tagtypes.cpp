// The tag-type table: the numbers stored in the database, the names used on
// the command line and in listings, the short codes of the text outputs.
#include "tvt_lang.h"
#include "tvt_tag.h"

#include <cstring>

#include "wrenlib/fmt.h"

extern "C" {

const tag_type_t tag_types[TT_COUNT] = {
    {"Open", "o", "--Open--"},
    {"Close", "c", "--Close--"},
    {"LIBRARY", "LIB", "Library"},
    {"PACKAGE", "M", "Packages"},
    {"INTERFACE", "ifc", "Interface"},
    {"MODULE", "M", "Module"},
    {"STRUCT", "S", "Structures"},
    {"UNION", "U", "Unions"},
    {"CLASS", "C", "Classes"},
    {"MEMBER", "m", "Member"},
    {"ENUM", "E", "Enum member"},
    {"ENUM_MEMBER", "e", "Enums"},
    {"DEFINE", "D", "Constants"},
    {"TYPEDEF", "T", "Typedefs"},
    {"FUNCTION", "F", "Global functions"},
    {"PROCEDURE", "P", "Procedure"},
    {"STATIC_FUNC", "sF", "Static functions"},
    {"MACRO", "mac", "Macros"},
    {"PROTOTYPE", "proto", "Function prototypes"},
    {"DATA", "d", "Global variables"},
    {"STATIC_VAR", "sD", "Static variables"},
    {"CONST", "c", "Constants"},
    {"LABEL", "l", "Label"},
    {"ARCHITECTURE", "A", "Architecture"},
    {"CONFIGURATION", "g", "Configuration"},
    {"ENTITY", "t", "Entity"},
    {"PROCESS", "p", "Process"},
    {"CITATION", "i", "Citation"},
    {"REFERENCE", "r", "Reference"},
    {"BIBLIOGRAPHY", "B", "Bibliography"},
    {"TABLE", "tab", "Table"},
    {"INDEX", "idx", "Index"},
    {"RULE", "R", "Rule"},
    {"TRIGGER", "trg", "Trigger"},
    {"MISC", "misc", "Miscellaneous"},
    {"COMPONENT", "comp", "Components"},
    {"IMPORT", "", "Imports"},
    {"APPLET", "", "Applets"},
    {"FRAME", "", "Frames"},
    {"FORM", "", "Forms"},
    {"HEADER1", "", "Header 1"},
    {"HEADER2", "", "Header 2"},
    {"HEADER3", "", "Header 3"},
    {"HEADER4", "", "Header 4"},
    {"HEADER5", "", "Header 5"},
    {"HEADER6", "", "Header 6"},
    {"HEADER7", "", "Header 7"},
    {"HEADER8", "", "Header 8"},
    {"HEADER9", "", "Header 9"},
    {"FILE", "", "Files"},
    {"OBJECT", "", "Object"},
    {"LIST", "", "List"},
    {"METHOD", "", "Method"},
    {"BOOKMARK", "", "Bookmark"},
    {"XREF", "", "XRef"},
    {"ANY", "", "Any"},
    {"FILE_ID", "", "FileID"},
    {"NOTHING", "", "Nothing"},
    {"ELEMENT", "", "Element"},
    {"ATTRIBUTE", "", "Attribute"},
    {"TASK", "", "Task"},
    {"WIRE", "", "Wire"},
    {"SIGNAL", "", "Signal"},
    {"IO", "", "IO"},
    {"TIME", "", "Time"},
    {"EVENT", "", "Event"},
    {"GATE", "", "Gate"},
    {"REG", "", "Register"},
    {"INPUT", "", "Input"},
    {"OUTPUT", "", "Output"},
    {"ASSIGN", "", "Assignment"},
    {"LOCAL", "", "Local"},
    {"KEYWORD", "", "Keyword"},
    {"PARAMETER", "", "Parameter"},
    {"NAMESPACE", "", "Namespace"},
    {"FIELD", "", "Field"},
    {"PROPERTY", "", "Property"},
    {"ERROR", "", "Error"},
    {"CURSOR", "", "Cursor"},
    {"FUNC_PROTOTYPE", "", "Function prototype"},
    {"PROC_PROTOTYPE", "", "Proc prototype"},
    {"SECTION", "", "Section"},
};

unsigned char tag_type_enabled[TT_COUNT] = {
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
    1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1,
};

int tag_type_lookup(const char *name)
{
    for (int i = 0; i < TT_COUNT; i++)
        if (wl_strcasecmp(tag_types[i].tt_name, name) == 0)
            return i;
    return -1;
}

const char *tag_type_name(int type)
{
    return type >= 0 && type < TT_COUNT ? tag_types[type].tt_name : "?";
}

} // extern "C"

static_assert(sizeof(tag_types) / sizeof(tag_types[0]) == 82);
