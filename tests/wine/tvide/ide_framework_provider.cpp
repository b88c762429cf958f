// The stand-in's side of the framework interface: the table that the hook
// library finds through the program's export, over the documents that the
// test's set-up file named.
#include <stdio.h>
#include <string.h>

#include "ide_framework.h"
#include "ide_standin.h"

namespace {

size_t copy_text(const std::string &text, char *buf, size_t size)
{
    if (size > 0)
        snprintf(buf, size, "%s", text.c_str());
    return text.size();
}

void fw_set_module(HINSTANCE module)
{
    char name[MAX_PATH];
    DWORD n = GetModuleFileNameA(module, name, sizeof name);
    std::string path(name, n < sizeof name ? n : 0);
    size_t slash = path.find_last_of('\\');
    ide_log("ide: module " + (slash == std::string::npos ? path : path.substr(slash + 1)));
}

ide_app_t *fw_current_app(void)
{
    return g_app.ap_present ? &g_app : nullptr;
}

int fw_template_count(ide_app_t *app)
{
    return (int)app->ap_templates.size();
}

ide_template_t *fw_template_at(ide_app_t *app, int index)
{
    return index >= 0 && index < (int)app->ap_templates.size() ? app->ap_templates[index]
                                                               : nullptr;
}

size_t fw_template_doc_name(ide_template_t *tpl, char *buf, size_t size)
{
    return copy_text(tpl->tp_name, buf, size);
}

int fw_doc_count(ide_template_t *tpl)
{
    return (int)tpl->tp_docs.size();
}

ide_doc_t *fw_doc_at(ide_template_t *tpl, int index)
{
    return index >= 0 && index < (int)tpl->tp_docs.size() ? tpl->tp_docs[index] : nullptr;
}

size_t fw_doc_path(ide_doc_t *doc, char *buf, size_t size)
{
    return copy_text(doc->dc_path, buf, size);
}

int fw_doc_modified(ide_doc_t *doc)
{
    return doc->dc_modified;
}

HWND fw_doc_first_view(ide_doc_t *doc)
{
    return doc->dc_view;
}

ide_doc_t *fw_active_doc(ide_app_t *app)
{
    return app->ap_active;
}

const ide_framework_t kFramework = {
    IDE_FRAMEWORK_VERSION, sizeof(ide_framework_t),
    fw_set_module, fw_current_app, fw_template_count, fw_template_at, fw_template_doc_name,
    fw_doc_count, fw_doc_at, fw_doc_path, fw_doc_modified, fw_doc_first_view, fw_active_doc,
};

} // namespace

extern "C" __declspec(dllexport) const ide_framework_t *ide_framework_get(void)
{
    return &kFramework;
}
