// The stack of inheritance lists: a class body pushes a fresh list for its
// base names and pops back to the enclosing one when it ends.
#include "tvt_tag.h"

#include "wrenlib/chk.h"
#include "wrenlib/fmt.h"
#include "wrenlib/list.h"

namespace {

struct inherit_state_t {
    Head_p saved = nullptr;    // lists saved by inh_push, newest first
    Head_p current = nullptr;  // list of owned name strings
};

// Each scanning thread has its own stack.
thread_local inherit_state_t inh;

void free_names(Head_p hp)
{
    if (!hp)
        return;
    ll_clear(hp);
    ll_freelist(hp);
}

} // namespace

extern "C" {

void inh_push(void)
{
    if (!inh.saved)
        inh.saved = ll_newlist();
    ll_push(inh.saved, ll_newatom(inh.current));
    inh.current = ll_newlist();
}

void inh_add(const char *name)
{
    if (!inh.current)
        inh.current = ll_newlist();
    ll_append(inh.current, ll_newatom(chk_strdup(name)));
}

void inh_pop(int keep)
{
    if (!keep)
        free_names(inh.current);
    inh.current = nullptr;
    if (inh.saved && inh.saved->l_len > 0) {
        List_p lp = ll_pop(inh.saved);
        inh.current = static_cast<Head_p>(ll_elem(lp));
        ll_freeatom(lp);
    }
}

void inh_free(void)
{
    while (inh.saved && inh.saved->l_len > 0) {
        wl_printf("freeing inh stack\n");
        List_p lp = ll_pop(inh.saved);
        free_names(static_cast<Head_p>(ll_elem(lp)));
        ll_freeatom(lp);
    }
    free_names(inh.current);
    inh.current = nullptr;
    // The stack's own head too: a scanning thread's copy dies with it.
    if (inh.saved)
        ll_freelist(inh.saved);
    inh.saved = nullptr;
}

Head_p inh_current(void)
{
    return inh.current;
}

} // extern "C"
