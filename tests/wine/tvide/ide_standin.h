#ifndef TV_IDE_STANDIN_H
#define TV_IDE_STANDIN_H
// The Developer Studio stand-in of the tests, shared by its two files: the
// documents the test set up, and the log both it and the editor stand-in
// append to, so that the order of saves and editor starts shows.
#include <windows.h>

#include <string>
#include <vector>

struct ide_doc_s {
    std::string dc_path;
    int dc_line = 1, dc_column = 1;
    bool dc_modified = false;
    bool dc_refuse_save = false;   // 'r': the save command fails
    bool dc_other_frame = false;   // 'o': its view is not in an MDI child frame
    bool dc_no_view = false;       // 'n': no view at all
    HWND dc_view = nullptr;
};

struct ide_template_s {
    std::string tp_name;
    std::vector<ide_doc_s *> tp_docs;
};

struct ide_app_s {
    std::vector<ide_template_s *> ap_templates;
    ide_doc_s *ap_active = nullptr;
    bool ap_present = true;        // false: the framework has no application
};

extern ide_app_s g_app;

void ide_log(const std::string &line);

#endif
