// The Edit and Edit All commands: hand the active document, or every open
// one, to the editor with the caret's line and column.
#include "addin.h"
#include "addin_args.h"
#include "addin_connect.h"

namespace {

// What the editor needs of one document.
struct doc_place_t {
    long dp_line = 0;
    long dp_column = 0;
    std::string dp_path;    // in the ANSI code page, as the command line wants
};

std::string to_ansi(const std::wstring &w)
{
    if (w.empty())
        return {};
    int n = WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, w.c_str(), (int)w.size(), out.data(), n, nullptr, nullptr);
    return out;
}

// False when the document has no text selection (a designer, an image):
// such documents are left alone.
bool place_of(IDispatch *doc, doc_place_t &place)
{
    disp_ref selection, point;
    std::wstring path;
    if (disp_get_obj(doc, L"Selection", selection) != S_OK ||
        disp_get_obj(selection.get(), L"ActivePoint", point) != S_OK ||
        FAILED(disp_get_long(point.get(), L"Line", &place.dp_line)) ||
        FAILED(disp_get_long(point.get(), L"LineCharOffset", &place.dp_column)) ||
        FAILED(disp_get_str(doc, L"FullName", &path)))
        return false;
    place.dp_path = to_ansi(path);
    return true;
}

void save_if_asked(IDispatch *doc)
{
    addin_read_settings();
    if (g_addin.ad_settings.as_ide_save_all)
        disp_call(doc, L"Save", disp_args());
}

void log_refused(const char *command, args_status_t status, const std::string &path)
{
    if (status == ARGS_QUOTE)
        addin_log("%s: path holds a double quote, not passed: %s\n", command, path.c_str());
    else if (status == ARGS_FULL)
        addin_log("%s: argument text full, not passed: %s\n", command, path.c_str());
}

} // namespace

HRESULT CConnect::Edit()
{
    disp_ref doc;
    doc_place_t place;
    if (disp_get_obj(cc_dte.get(), L"ActiveDocument", doc) != S_OK || !place_of(doc.get(), place))
        return S_OK;
    std::string text;
    args_status_t st = args_append(text, false, place.dp_line, place.dp_column, place.dp_path);
    if (st != ARGS_ADDED) {
        log_refused("Edit", st, place.dp_path);
        return S_OK;
    }
    addin_log("Cmd=%s\n", text.c_str());
    save_if_asked(doc.get());
    launch_tolva(text);
    return S_OK;
}

HRESULT CConnect::EditAll()
{
    disp_ref docs;
    long count = 0;
    std::string text;
    if (disp_get_obj(cc_dte.get(), L"Documents", docs) == S_OK &&
        SUCCEEDED(disp_get_long(docs.get(), L"Count", &count))) {
        for (long i = 1; i <= count; i++) {
            disp_ref doc;
            doc_place_t place;
            if (disp_obj(docs.get(), L"Item", DISP_GET, disp_args().num(i), doc) != S_OK ||
                !place_of(doc.get(), place))
                continue;
            args_status_t st = args_append(text, true, place.dp_line, place.dp_column, place.dp_path);
            if (st == ARGS_FULL) {
                // Stop at the last whole item rather than skip to smaller
                // ones: the editor then gets the first documents in order.
                addin_log("EditAll: argument text full, documents %ld to %ld not passed\n", i,
                          count);
                break;
            }
            if (st != ARGS_ADDED) {
                log_refused("EditAll", st, place.dp_path);
                continue;
            }
            save_if_asked(doc.get());
        }
    }
    addin_log("EditAll=%s\n", text.c_str());
    launch_tolva(text);
    return S_OK;
}

UINT CConnect::launch_tolva(const std::string &args)
{
    char exe[MAX_PATH];
    DWORD n = GetModuleFileNameA(g_addin.ad_module, exe, sizeof exe);
    char *slash = n > 0 && n < sizeof exe ? strrchr(exe, '\\') : nullptr;
    addin_log("launch_tolva: h=%p\n", (void *)g_addin.ad_module);
    if (!slash || (size_t)(slash - exe) + sizeof "\\tolva.exe" > sizeof exe) {
        addin_log("launch_tolva: no module path\n");
        return 0;
    }
    strcpy(slash + 1, "tolva.exe");
    std::string cmd = "\"";
    cmd += exe;
    cmd += "\" -single_inst ";
    cmd += args;
    if (cmd.size() + 1 > ADDIN_CMDLINE_SIZE) {
        addin_log("launch_tolva: command line too long (%u bytes), not started\n",
                  (unsigned)cmd.size());
        return 0;
    }
    addin_log("launch_tolva: WinExec(%s)\n", cmd.c_str());
    UINT ret = WinExec(cmd.c_str(), SW_SHOWNORMAL);
    if (ret <= 31)
        addin_log("launch_tolva: WinExec failed, ret=%u\n", ret);
    return ret;
}
