// Keyword tables of the C family.  The words common to all of them sit in
// one table that the others splice in.
#include "tvt_lex.h"

namespace {

constexpr keyword_t kw_c_common[] = {
    {"auto", KEY_AUTO, 0},
    {"bool", KEY_BOOL, 0},
    {"break", KEY_BREAK, 0},
    {"case", KEY_CASE, 0},
    {"char", KEY_CHAR, 0},
    {"const", KEY_CONST, 0},
    {"continue", KEY_CONTINUE, 0},
    {"default", KEY_DEFAULT, 0},
    {"do", KEY_DO, 0},
    {"double", KEY_DOUBLE, 0},
    {"else", KEY_ELSE, 0},
    {"enum", KEY_ENUM, 0},
    {"extern", KEY_EXTERN, 0},
    {"float", KEY_FLOAT, 0},
    {"for", KEY_FOR, 0},
    {"goto", KEY_GOTO, 0},
    {"if", KEY_IF, 0},
    {"int", KEY_INT, 0},
    {"long", KEY_LONG, 0},
    {"register", KEY_REGISTER, 0},
    {"return", KEY_RETURN, 0},
    {"short", KEY_SHORT, 0},
    {"signed", KEY_SIGNED, 0},
    {"sizeof", KEY_SIZEOF, 0},
    {"static", KEY_STATIC, 0},
    {"struct", KEY_STRUCT, 0},
    {"switch", KEY_SWITCH, 0},
    {"typedef", KEY_TYPEDEF, 0},
    {"union", KEY_UNION, 0},
    {"unsigned", KEY_UNSIGNED, 0},
    {"void", KEY_VOID, 0},
    {"volatile", KEY_VOLATILE, 0},
    {"while", KEY_WHILE, 0},
    {"define", TOK_DEFINE, KW_DIRECTIVE},
    {"if", TOK_HASH_IF, KW_DIRECTIVE},
    {"elif", TOK_HASH_ELIF, KW_DIRECTIVE},
    {"ifdef", TOK_HASH_IF, KW_DIRECTIVE},
    {"ifndef", TOK_HASH_IF, KW_DIRECTIVE},
    {"else", TOK_HASH_ELSE, KW_DIRECTIVE},
    {"endif", TOK_HASH_ENDIF, KW_DIRECTIVE},
    {"include", TOK_INCLUDE, KW_DIRECTIVE},
    KW_END,
};

} // namespace

extern "C" {

const keyword_t kw_c[] = {
    KW_NEST(kw_c_common),
    {"asm", KEY_ASM, 0},
    {"restrict", KEY_RESTRICT, 0},
    {"EXEC", KEY_EXEC, 0},
    {"SQL", KEY_SQL, 0},
    KW_END,
};

const keyword_t kw_cpp[] = {
    KW_NEST(kw_c_common),
    {"catch", KEY_CATCH, 0},
    {"class", KEY_CLASS, 0},
    {"delete", KEY_DELETE, 0},
    {"friend", KEY_FRIEND, 0},
    {"inline", KEY_INLINE, 0},
    {"mutable", KEY_MUTABLE, 0},
    {"namespace", KEY_NAMESPACE, 0},
    {"new", KEY_NEW, 0},
    {"operator", KEY_OPERATOR, 0},
    {"overload", KEY_OVERLOAD, 0},
    {"private", KEY_PRIVATE, 0},
    {"protected", KEY_PROTECTED, 0},
    {"public", KEY_PUBLIC, 0},
    {"template", KEY_TEMPLATE, 0},
    {"this", KEY_THIS, 0},
    {"try", KEY_TRY, 0},
    {"using", KEY_USING, 0},
    KW_END,
};

const keyword_t kw_objc[] = {
    {"self", KEY_IGNORE, 0},
    {"id", KEY_IGNORE, 0},
    KW_NEST(kw_c),
    KW_END,
};

const keyword_t kw_tolva[] = {
    KW_NEST(kw_c_common),
    {"foreach", KEY_FOREACH, 0},
    KW_END,
};

} // extern "C"
