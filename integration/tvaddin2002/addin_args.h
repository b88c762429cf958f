#ifndef ADDIN_ARGS_H
#define ADDIN_ARGS_H
// The editor's argument text: one item "+line,column \"path\"" per file.
// The text and the command line around it have fixed sizes (terminator
// included); an item that would not fit, or whose path holds a double
// quote (it would end the quoted name early and let the rest of the path
// pass for switches), is not added at all.
#include <string>

constexpr size_t ADDIN_ARGS_SIZE = 10240;
constexpr size_t ADDIN_CMDLINE_SIZE = 10752;

enum args_status_t {
    ARGS_ADDED = 0,
    ARGS_FULL = -1,         // the item does not fit
    ARGS_QUOTE = -2,        // the path holds a double quote
};

// Appends one item to `text`, after a blank when `lead_blank`.
args_status_t args_append(std::string &text, bool lead_blank, long line, long column,
                          const std::string &path);

#endif
