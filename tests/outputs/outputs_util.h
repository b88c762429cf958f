#ifndef TESTS_OUTPUTS_OUTPUTS_UTIL_H
#define TESTS_OUTPUTS_OUTPUTS_UTIL_H
/* Inputs and helpers shared by the output and report tests. */
#include <string>
#include <vector>

#include "e2e_util.h"

namespace outputs {

/* Two small C files whose tags follow from the scanner's rules alone:
 * a.c: MAX (DEFINE, 1), SQR (DEFINE, 2, args "(x)"), stdio.h (FILE, 3),
 *      color (ENUM, 4) with RED and GREEN (ENUM_MEMBER, 4), main
 *      (FUNCTION, 5, "int" "(void)");
 * b.c: counter (DATA, 1, "int"), helper_fn (FUNCTION, 2, "int"
 *      "(int a, int b)"), its line holding a comment with slashes. */
extern const char *const a_c;
extern const char *const b_c;

std::string spaces(int n);
/* Left-justified in a field of width n, as "%-ns" pads. */
std::string left(const std::string &s, int n);
/* Right-justified, as "%nd" pads. */
std::string right(const std::string &s, int n);
std::string right(long v, int n);
std::string hex(unsigned long v, int width);

std::vector<std::string> lines_of(const std::string &text);
bool starts_with(const std::string &s, const std::string &prefix);

/* Copies a directory tree, keeping only files whose names end in one of
 * the suffixes. */
void copy_tree(const std::string &from, const std::string &to, const std::vector<std::string> &suffixes);

/* A 32-bit big-endian field of a file's bytes. */
unsigned long get32(const std::string &bytes, size_t at);

} // namespace outputs
#endif
