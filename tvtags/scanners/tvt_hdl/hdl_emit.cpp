// Emission helpers the Verilog and VHDL scanners share.
#include <cstring>

#include "hdl_internal.h"
#include "wrenlib/fmt.h"

void hdl_capture()
{
    tag_capture(&tag_rec, TAG_CAP_LINE | TAG_CAP_NAME);
}

int hdl_emit_rec(int type, int parent, tag_rec_t &rec, const char *args)
{
    rec.tr_parent = parent;
    rec.tr_type = nullptr;
    rec.tr_args = (args && *args) ? const_cast<char *>(args) : nullptr;
    TAG_TRACE(type, &rec);
    int h = tag_add(type, &rec);
    rec.tr_args = nullptr;
    return h;
}

int hdl_emit(int type, int parent, const char *args)
{
    return hdl_emit_rec(type, parent, tag_rec, args);
}

void hdl_anon_name()
{
    tag_capture(&tag_rec, TAG_CAP_LINE);
    wl_snprintf(tag_rec.tr_name, sizeof tag_rec.tr_name, "anon#%d", cpp_anon_next());
}

bool hdl_text_is(const char *s)
{
    return lex_ctx.lx_text.dl_str && strcmp(lex_ctx.lx_text.dl_str, s) == 0;
}

bool hdl_text_is_nocase(const char *s)
{
    const char *t = lex_ctx.lx_text.dl_str;
    if (!t)
        return false;
    for (; *s; s++, t++) {
        char c = *t;
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
        if (c != *s)
            return false;
    }
    return *t == '\0';
}
