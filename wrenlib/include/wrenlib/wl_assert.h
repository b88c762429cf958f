#ifndef WRENLIB_WL_ASSERT_H
#define WRENLIB_WL_ASSERT_H
/* Consistency checks of the support library and of the programs built on it.
 * A failed check prints the expression, the source file and the line on
 * standard error and stops the program, in every build. */
#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__) || defined(__clang__)
__attribute__((noreturn))
#endif
void wl_assert_fail(const char *expr, const char *file, int line);

#ifdef __cplusplus
}
#endif

#define WL_ASSERT(e) ((e) ? (void)0 : wl_assert_fail(#e, __FILE__, __LINE__))

#endif
