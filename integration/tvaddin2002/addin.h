#ifndef ADDIN_H
#define ADDIN_H
// tvaddin2002: process-wide state of the add-in and the small services its
// parts share (log, settings, object counting).
#include <windows.h>
#include <ole2.h>
#include <stdio.h>

// The four integration settings, each a DWORD under
// HKEY_CURRENT_USER\SOFTWARE\Quenlock\TVADDIN, 0 until read.
struct addin_settings_t {
    DWORD as_addin_debug;
    DWORD as_tolva_save_all;
    DWORD as_ide_save_all;
    DWORD as_setup_toolbar;
};

// Everything that lives once per process.
struct addin_state_t {
    HINSTANCE ad_module;
    LONG ad_objects;            // live COM objects of this module
    LONG ad_locks;              // IClassFactory::LockServer count
    FILE *ad_log;               // the debug log, when open
    addin_settings_t ad_settings;
    HHOOK ad_hook;
    UINT ad_edit_msg;           // registered "Tolva_edit"
    bool ad_echo;               // TVADDIN_DEBUG was set when the add-in was made
    bool ad_hook_busy;          // re-entry guard of the activation hook
};

extern addin_state_t g_addin;

// Object counting that keeps DllCanUnloadNow truthful.
inline void addin_object_made() { InterlockedIncrement(&g_addin.ad_objects); }
inline void addin_object_gone() { InterlockedDecrement(&g_addin.ad_objects); }

// The debug log: "/tmp/addin.log", appended line by line while open.
void addin_log(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
void addin_log_open();
void addin_log_close();

// Re-reads the settings into g_addin.ad_settings; a value that cannot be
// read keeps what it held.
void addin_read_settings();

// Writes DWORD `name` = value under HKEY_CURRENT_USER\SOFTWARE\Quenlock\<key>;
// returns the registry status.
LONG addin_write_setting(const char *key, const char *name, DWORD value);

// The activation hook on the host's user-interface thread.
void addin_hook_install();
void addin_hook_remove();

// Registration of the class and of the type library; COM HRESULTs.
HRESULT addin_register();
HRESULT addin_unregister();

// The IDispatch side of the Connect class reads the module's own type
// library; the result is owned by the caller.
HRESULT addin_type_info(REFIID iid, ITypeInfo **out);

// Creates a Connect object and hands out `iid` on it.
HRESULT addin_connect_create(REFIID iid, void **out);

#endif
