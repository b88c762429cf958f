#ifndef WRENLIB_LIST_H
#define WRENLIB_LIST_H
/* Doubly linked lists of untyped elements with checked head and atom
 * records drawn from object pools. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define HEAD_MAGIC 0x686D6167u /* 'hmag' */
#define HEAD_FREED 0x68667265u /* 'hfre' */
#define LIST_MAGIC 0x6C6D6167u /* 'lmag' */
#define LIST_FREED 0x6C667265u /* 'lfre' */

typedef struct List_t *List_p;
typedef struct Head_t *Head_p;

struct List_t {
    uint32_t l_magic;
    List_p l_next;
    List_p l_prev;
    void *l_elem;
};

struct Head_t {
    uint32_t l_magic;
    List_p l_head;
    List_p l_tail;
    int32_t l_len;
    int32_t l_refcnt;
};

Head_p ll_newlist(void);
int ll_incref(Head_p hp);
int ll_freelist(Head_p hp);
List_p ll_newatom(void *elem);
int ll_freeatom(List_p lp);
void ll_advise(int n);
void ll_append(Head_p hp, List_p lp);
void ll_push(Head_p hp, List_p lp);
List_p ll_pop(Head_p hp);
List_p ll_remove(Head_p hp, List_p lp);
void ll_insert_after(Head_p hp, List_p lp, List_p lp1);
void ll_insert_before(Head_p hp, List_p lp, List_p lp1);
void ll_append_list(Head_p hp1, Head_p hp2);
void ll_clear(Head_p hp);
List_p ll_first(Head_p hp);
List_p ll_last(Head_p hp);
List_p ll_next(List_p lp);
List_p ll_prev(List_p lp);
void *ll_elem(List_p lp);
void ll_set_atom(List_p lp, void *elem);
List_p ll_find(Head_p hp, void *elem);
void ll_assertatom(Head_p hp, List_p lp);
void ll_assertlist(Head_p hp);

#ifdef __cplusplus
}
#endif
#endif
