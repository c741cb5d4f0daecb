// A syntax owns its compiled lexer together with the lock that every use of
// that lexer runs under. The two travel as one shared record, so that a
// syntax made under another path and name from an existing one (the loader
// does this for a grammar that is read in place of another) lexes with the
// very same lexer, states and caches, and is serialised by the same lock.
#include "ui/text/syntax/syntax.h"

#include <utility>

#include "ui/log.h"

struct Syntax::SharedLexer {
    explicit SharedLexer(std::unique_ptr<CompiledLexer> compiled) : lexer(std::move(compiled)) {}

    // Declared first, so destroyed last: the lexer goes before its lock.
    CriticalSection lock;
    std::unique_ptr<CompiledLexer> lexer;
};

Syntax::Syntax(ustring path, ustring name, std::unique_ptr<CompiledLexer> lexer)
    : m_path(std::move(path)),
      m_name(std::move(name)),
      m_lexer(std::make_shared<SharedLexer>(std::move(lexer)))
{
    VASSERT(m_lexer->lexer);
}

Syntax::Syntax(ustring path, ustring name, const Syntax& other)
    : m_path(std::move(path)), m_name(std::move(name)), m_lexer(other.m_lexer)
{
}

Syntax::~Syntax()
{
    // The lexer (with its lock) first, then the strings.
    m_lexer.reset();
}

CompiledLexer* Syntax::lexer() const { return m_lexer->lexer.get(); }

CriticalSection& Syntax::lexerLock() const { return m_lexer->lock; }
