#ifndef TVIDE_IDE_FRAMEWORK_H
#define TVIDE_IDE_FRAMEWORK_H
/* The few operations of the IDE's application framework that the hook
 * library uses, as one table of functions that the IDE side provides.  The
 * library is built without the framework: inside the IDE it asks the
 * process's main module for the table through the export named below, and
 * a process without it simply has no application object.
 *
 * Objects are opaque.  Texts are copied into the caller's buffer, always
 * terminated; the functions return the full length, so a result of `size`
 * or more means the text was cut. */
#include <windows.h>

#include <stddef.h>

#define IDE_FRAMEWORK_EXPORT "ide_framework_get"
#define IDE_FRAMEWORK_VERSION 1

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ide_app_s ide_app_t;
typedef struct ide_template_s ide_template_t;
typedef struct ide_doc_s ide_doc_t;

typedef struct ide_framework_s {
    unsigned fw_version;   /* IDE_FRAMEWORK_VERSION */
    unsigned fw_size;      /* sizeof (ide_framework_t) of the provider */
    /* Makes `module` the framework's current instance and resource module,
     * so that resources are looked up in the library. */
    void (*fw_set_module)(HINSTANCE module);
    /* The current application object, null when there is none. */
    ide_app_t *(*fw_current_app)(void);
    /* The application's document templates, by position. */
    int (*fw_template_count)(ide_app_t *app);
    ide_template_t *(*fw_template_at)(ide_app_t *app, int index);
    /* A template's document name string ("Text" for text documents). */
    size_t (*fw_template_doc_name)(ide_template_t *tpl, char *buf, size_t size);
    /* A template's open documents, by position. */
    int (*fw_doc_count)(ide_template_t *tpl);
    ide_doc_t *(*fw_doc_at)(ide_template_t *tpl, int index);
    size_t (*fw_doc_path)(ide_doc_t *doc, char *buf, size_t size);
    int (*fw_doc_modified)(ide_doc_t *doc);
    /* The window of the document's first view; null without a view. */
    HWND (*fw_doc_first_view)(ide_doc_t *doc);
    /* The active document of the main frame's active child; null when no
     * child or document is active. */
    ide_doc_t *(*fw_active_doc)(ide_app_t *app);
} ide_framework_t;

typedef const ide_framework_t *(*ide_framework_get_fn)(void);

#ifdef __cplusplus
}
#endif
#endif
