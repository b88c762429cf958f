#ifndef ADDIN_RESOURCE_H
#define ADDIN_RESOURCE_H
/* Resource numbers shared by tvaddin2002.rc and the registrar. */
#define IDR_CONNECT_SCRIPT 101
#define IDR_TYPELIB_SCRIPT 102
#endif
