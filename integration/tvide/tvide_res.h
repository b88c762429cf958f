#ifndef TVIDE_RES_H
#define TVIDE_RES_H
/* Resource and control numbers of the integration tool, shared by the
 * resource script, the code and the tests that drive the dialogs. */
#define IDD_TVIDE           101
#define IDI_TVIDE           102
#define IDD_TVIDE_ABOUT     104
#define IDC_TVIDE_SAVE_ALL  1000    /* "Tolva_save_all" */
#define IDC_TVIDE_IDE_SAVE  1001    /* "IDE_save_all" */
#define IDC_TVIDE_OK        1
#define IDC_TVIDE_CANCEL    2
#define IDC_TVIDE_CLOSE     8
#define IDC_TVIDE_ABOUT     57664
#define IDC_TVIDE_EXIT      57665
#define IDC_TVIDE_ABOUT_OK  1
#endif
