#ifndef TVTAGS_SCANNERS_TVT_HDL_HDL_TESTUTIL_H
#define TVTAGS_SCANNERS_TVT_HDL_HDL_TESTUTIL_H
// Runs a hardware-description scanner over text and records its tags.
#include "../tvt_cpp/cpp_testutil.h"

class HdlScan : public CppScan {
protected:
    // "TYPE name<parent" lines as dump() gives, for one scan.
    std::string verilog(const std::string &s)
    {
        scan(s, tvt_verilog_scan);
        return dump();
    }
    std::string vhdl(const std::string &s)
    {
        scan(s, tvt_vhdl_scan);
        return dump();
    }
    static std::string args_of(const std::string &name, int type)
    {
        for (const seen_tag_t &t : seen_tags())
            if (t.name == name && t.type == type)
                return t.args;
        return "<none>";
    }
};

#endif
