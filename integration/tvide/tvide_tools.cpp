// The editor's entry in Developer Studio's Tools menu.  The IDE keeps its
// tools as numbered value groups ("MenuName#2" and so on) with a count; our
// entry is the one whose dialog name begins with "tolva-", rewritten in
// place on every start so that a moved installation repairs itself.
#include "tvide.h"

#include <string.h>

namespace {

constexpr const char *kToolsKey = "SOFTWARE\\Microsoft\\Developer\\Tools";
constexpr const char *kOurPrefix = "tolva-";
// More entries than any IDE shows: a count beyond it is damage, and
// walking it would take the dialog minutes.
constexpr DWORD kMaxTools = 1024;

enum tool_value_kind { TV_DWORD, TV_TEXT, TV_COUNT, TV_PATH };

struct tool_row_t {
    const char *tr_name;         // value name; %d is the entry's index
    tool_value_kind tr_kind;
    DWORD tr_number;
    const char *tr_text;
};

constexpr tool_row_t kToolRows[] = {
    {"AskArgument#%d", TV_DWORD, 0, nullptr},
    {"CloseWindow#%d", TV_DWORD, 0, nullptr},
    {"DefaultArguments#%d", TV_TEXT, 0, "+$(CurLine).$(CurCol) $(FilePath)"},
    {"DialogName#%d", TV_TEXT, 0, "tolva-dialogname"},
    {"GUITool#%d", TV_DWORD, 1, nullptr},
    {"InitialDirectory#%d", TV_TEXT, 0, "$(FileDir)"},
    {"MenuName#%d", TV_TEXT, 0, "&Tolva Edit"},
    {"NumTools", TV_COUNT, 0, nullptr},
    {"OutputRedirect#%d", TV_DWORD, 1, nullptr},
    {"PathName#%d", TV_PATH, 0, nullptr},
    {"ReloadNoPrompt#%d", TV_DWORD, 0, nullptr},
    {"UseSearchPath#%d", TV_DWORD, 0, nullptr},
};

// Whether entry `index` is ours: its dialog name, read as a string of at
// most 512 bytes, begins with "tolva-".
bool entry_is_ours(HKEY key, DWORD index)
{
    char name[64];
    tvide_format(name, sizeof name, "DialogName#%d", (int)index);
    char text[513];
    DWORD type = 0, size = 512;
    LONG ret = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE *>(text),
                                &size);
    if (ret != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    // The registry does not promise a terminating NUL.
    text[size < sizeof text ? size : sizeof text - 1] = '\0';
    return strncmp(text, kOurPrefix, strlen(kOurPrefix)) == 0;
}

bool write_row(HKEY key, const tool_row_t &row, DWORD index, DWORD count, const char *path)
{
    char name[64];
    // The pattern has at most one %d; NumTools has none.
    tvide_format(name, sizeof name, row.tr_name, (int)index);
    LONG ret;
    if (row.tr_kind == TV_DWORD || row.tr_kind == TV_COUNT) {
        DWORD value = row.tr_kind == TV_COUNT ? count : row.tr_number;
        tvide_print("Updating %s : 0x%x\n", name, (unsigned)value);
        ret = RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE *>(&value),
                             sizeof value);
    } else {
        const char *text = row.tr_kind == TV_PATH ? path : row.tr_text;
        tvide_print("Updating %s : %s\n", name, text);
        ret = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(text),
                             (DWORD)strlen(text) + 1);
    }
    if (ret != ERROR_SUCCESS) {
        tvide_print("%s failed\n", row.tr_name);
        return false;
    }
    return true;
}

} // namespace

int tvide_register_tool(void)
{
    char editor[MAX_PATH + 16];
    char quoted[MAX_PATH + 20] = "TOLVA.EXE";
    if (tvide_editor_path(nullptr, editor, sizeof editor))
        tvide_format(quoted, sizeof quoted, "\"%s\"", editor);

    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kToolsKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) !=
        ERROR_SUCCESS) {
        tvide_print("RegOpenKeyEx failed\n");
        return -1;
    }
    DWORD count = 0, type = 0, size = sizeof count;
    LONG ret = RegQueryValueExA(key, "NumTools", nullptr, &type,
                                reinterpret_cast<BYTE *>(&count), &size);
    if (ret != ERROR_SUCCESS || type != REG_DWORD || size != sizeof count) {
        tvide_print("QueryValue failed\n");
        RegCloseKey(key);
        return -2;
    }
    tvide_print("Number of tools: %d 0x%x\n", (int)count, (unsigned)count);
    if (count > kMaxTools) {
        tvide_print("NumTools out of range\n");
        RegCloseKey(key);
        return -3;
    }

    DWORD index = count;
    for (DWORD i = 0; i < count; i++) {
        if (entry_is_ours(key, i)) {
            tvide_print("Tolva entry (#%d) in registry is not ok - replacing.\n", (int)i);
            index = i;
            break;
        }
    }
    if (index == count)
        count++;

    bool ok = true;
    for (const tool_row_t &row : kToolRows)
        ok = write_row(key, row, index, count, quoted) && ok;
    RegCloseKey(key);
    return ok ? 0 : -4;
}
