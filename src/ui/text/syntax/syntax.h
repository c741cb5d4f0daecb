// A syntax: one compiled grammar as the text model uses it, with the path it
// was requested by, the name shown to the user, and the lock under which its
// compiled lexer runs. Syntaxes come from the syntax loader
// (syntax_loader.h) and are shared by count between the loader's cache and
// the token storages that lex with them.
#pragma once

#include <memory>

#include "ui/critical_section.h"
#include "ui/reference_counted.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/ustring.h"

class Syntax : public slate::ReferenceCounted<Syntax> {
public:
    // Takes ownership of `lexer` (not null). `path` is the grammar path as
    // requested (empty for the default syntax), `name` the display name.
    Syntax(ustring path, ustring name, std::unique_ptr<CompiledLexer> lexer);
    // A syntax under another path and name that lexes with the compiled
    // lexer of `other`, and so also under its lock: the two share every
    // state, scope record and cache, and neither may lex while the other
    // does.
    Syntax(ustring path, ustring name, const Syntax& other);
    ~Syntax();
    Syntax(const Syntax&) = delete;
    Syntax& operator=(const Syntax&) = delete;

    // The grammar path exactly as requested; empty for the default syntax.
    const ustring& path() const { return m_path; }
    // The file-type name shown to the user; empty for the default syntax.
    const ustring& name() const { return m_name; }

    // Never null; lives as long as this syntax. Use it, its states, pools and
    // matchers only while holding lexerLock().
    CompiledLexer* lexer() const;
    // Held around every lexing run and every interning of a scope name into
    // the lexer's pools, on whichever thread. Recursive. Take it before any
    // statistics or notification lock, never after.
    CriticalSection& lexerLock() const;

private:
    struct SharedLexer;

    ustring m_path;
    ustring m_name;
    // The compiled lexer and its lock, shared with syntaxes built from this
    // one; destroyed (lexer first, then lock) with the last of them.
    std::shared_ptr<SharedLexer> m_lexer;
};
