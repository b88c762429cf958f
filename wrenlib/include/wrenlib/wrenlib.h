#ifndef WRENLIB_WRENLIB_H
#define WRENLIB_WRENLIB_H
#include "wrenlib/wl_assert.h"
#include "wrenlib/chk.h"
#include "wrenlib/byteorder.h"
#include "wrenlib/list.h"
#include "wrenlib/dstr.h"
#include "wrenlib/hash.h"
#include "wrenlib/vector.h"
#include "wrenlib/vm.h"
#include "wrenlib/sort.h"
#include "wrenlib/fmt.h"
#include "wrenlib/files.h"
#include "wrenlib/mmap.h"
#include "wrenlib/sysdep.h"
#endif
