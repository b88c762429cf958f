#ifndef TV_TEST_PATHS_H
#define TV_TEST_PATHS_H
// Where the programs under test are, as the Windows side sees them.
#include <string>

#include "winkit.h"

inline std::string standin_exe() { return winkit::win_path(TV_STANDIN_EXE); }
inline std::string ddepost_exe() { return winkit::win_path(TV_DDEPOST_EXE); }
inline std::string tolva_dns_exe() { return winkit::win_path(TV_TOLVA_DNS_EXE); }
inline std::string tvshell_exe() { return winkit::win_path(TV_TVSHELL_EXE); }
inline std::string probe_exe() { return winkit::win_path(TV_PROBE_EXE); }
inline std::string fake_wsock_dll() { return winkit::win_path(TV_FAKE_WSOCK_DLL); }

#endif
