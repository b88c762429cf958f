#ifndef TV_AUTOMATION_BASE_H
#define TV_AUTOMATION_BASE_H
/* Stands for the header widl would make from tv_automation_base.idl: the
 * real definitions come from the platform headers. */
#include <oaidl.h>
#endif
