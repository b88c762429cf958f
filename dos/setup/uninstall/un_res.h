#ifndef UN_RES_H
#define UN_RES_H
/* Resource and control numbers of the uninstaller, shared by the resource
 * script and the code. */
#define IDD_PROGRESS   1000
#define IDC_UN_TEXT    101
#define IDC_UN_EDIT    103
#define IDC_UN_PROCEED 1
#define IDC_UN_EXIT    2
#endif
