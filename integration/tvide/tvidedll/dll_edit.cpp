// The hand-over: the IDE's active document, or every text document, goes
// to the editor on its command line with the caret's line and column.
// Modified documents are saved through the IDE first, so the editor reads
// what the user sees; one that stays unsaved is left out rather than
// opened in its older state.
#include "dll_state.h"

#include <string.h>

#include "dll_args.h"

namespace {

constexpr const char *kViewFrameClass = "AfxMDIFrame40";
constexpr const char *kTextTemplate = "Text";

struct handover_t {
    const ide_framework_t *ho_fw;
    edit_args_t ho_args;
};

// Views of text documents sit in the IDE's MDI child frames; other views
// (resource editors, the workspace) are not for the editor.
bool in_text_frame(HWND view)
{
    HWND parent = view && IsWindow(view) ? GetParent(view) : nullptr;
    char cls[64];
    return parent && GetClassNameA(parent, cls, sizeof cls) > 0 &&
           strcmp(cls, kViewFrameClass) == 0;
}

// Saves a modified document through the IDE; true when it is saved.
bool save_document(const handover_t &ho, ide_doc_t *doc, const char *path)
{
    tvide_log("Saving %s\n", path);
    if (!SendMessageA(g_dll.ds_ide_main, WM_COMMAND, TVIDE_IDE_SAVE_COMMAND, 0))
        return false;
    if (ho.ho_fw->fw_doc_modified(doc)) {
        tvide_log("still modified, left out: %s\n", path);
        return false;
    }
    return true;
}

void hand_over(handover_t &ho, ide_doc_t *doc)
{
    if (!doc)
        return;
    const ide_framework_t *fw = ho.ho_fw;
    char path[TVIDE_ARGS_MAX];
    size_t n = fw->fw_doc_path(doc, path, sizeof path);
    // A document never saved has no path, and a path longer than the
    // whole argument text can never be passed.
    if (n == 0 || n >= sizeof path)
        return;
    HWND view = fw->fw_doc_first_view(doc);
    if (!in_text_frame(view))
        return;
    int line = (int)SendMessageA(view, g_dll.ds_curpos_msg, 0, 0);
    int column = (int)SendMessageA(view, g_dll.ds_curpos_msg, 1, 0);
    if (fw->fw_doc_modified(doc) && !save_document(ho, doc, path))
        return;
    if (!edit_args_add(&ho.ho_args, line, column, path))
        tvide_log("too long for the command line, left out: %s\n", path);
}

bool is_text_template(const ide_framework_t *fw, ide_template_t *tpl, char *name, size_t size)
{
    size_t n = tpl ? fw->fw_template_doc_name(tpl, name, size) : 0;
    return n < size && strcmp(name, kTextTemplate) == 0;
}

void hand_over_all(handover_t &ho, ide_app_t *app)
{
    const ide_framework_t *fw = ho.ho_fw;
    int templates = fw->fw_template_count(app);
    for (int i = 0; i < templates; i++) {
        ide_template_t *tpl = fw->fw_template_at(app, i);
        char name[64];
        if (!is_text_template(fw, tpl, name, sizeof name))
            continue;
        tvide_log("docName='%s' ", name);
        int docs = fw->fw_doc_count(tpl);
        for (int d = 0; d < docs; d++)
            hand_over(ho, fw->fw_doc_at(tpl, d));
        tvide_log("\n");
    }
}

void start_editor(const edit_args_t &args)
{
    char editor[MAX_PATH + 16];
    static char cmd[sizeof editor + TVIDE_ARGS_MAX + 2];
    if (!tvide_editor_path(g_dll.ds_module, editor, sizeof editor) ||
        !tvide_format(cmd, sizeof cmd, "%s %s", editor, args.ea_text)) {
        tvide_log("edit_files: no path for the editor\n");
        return;
    }
    tvide_log("WinExec(%s)\n", cmd);
    UINT r = WinExec(cmd, SW_SHOWNORMAL);
    if (r <= 31)
        tvide_log("WinExec failed (%u)\n", r);
}

} // namespace

void edit_files(void)
{
    ide_app_t *app = dll_current_app();
    if (!app) {
        tvide_log("edit_files: afx == NULL\n");
        return;
    }
    tvide_log("edit_files: afx=%x\n", (unsigned)(UINT_PTR)app);
    tvide_settings_t s;
    tvide_settings_read(&s, false);
    // Static: the argument text is larger than a hook should put on the
    // IDE's stack, and the guards keep this from running twice at once.
    static handover_t ho;
    ho.ho_fw = dll_framework();
    edit_args_init(&ho.ho_args);
    if (s.ts_ide_save_all)
        hand_over_all(ho, app);
    else
        hand_over(ho, ho.ho_fw->fw_active_doc(app));
    if (ho.ho_args.ea_len > 0)
        start_editor(ho.ho_args);
}
