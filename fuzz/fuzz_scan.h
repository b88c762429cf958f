#ifndef TVTAGS_FUZZ_FUZZ_SCAN_H
#define TVTAGS_FUZZ_FUZZ_SCAN_H
// Shared pieces of the scanner targets: the text sink that reads every
// string of each emitted tag, so a record pointing at freed or unterminated
// text shows up, and one run of a scanner chosen by the input's first byte.
#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz {

struct scanner_t {
    int (*entry)(void);
    const char *path;   // the name the lexer reports; its extension sets the language
};

// Where a target keeps its choices in the first byte: the scanner is
// (byte & select_mask) modulo the table's size; each setting is read from
// its bit, or left at its default when the bit is -1.
struct pick_t {
    unsigned select_mask;
    int locals_bit;
    int xref_bit;
    int warnings_bit;
};

// Resets the settings for text output, silences scanner diagnostics and
// installs the reading sink.
void scan_init();

// The number of tags the last scan emitted.
size_t scan_tag_count();

// Scans text as the file of s and returns the scanner's status.
int scan_text(const scanner_t &s, const char *text, size_t size);

// The first byte picks the scanner and settings, the rest is the source;
// a scanner that fails on text is a finding.
void scan_picked(std::span<const scanner_t> scanners, const pick_t &pick, const uint8_t *data,
                 size_t size);

} // namespace fuzz

#endif
