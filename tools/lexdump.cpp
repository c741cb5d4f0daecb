// lexdump: lexes a file with one of a folder's grammars and prints its tokens,
// for comparing the lexer with other implementations and for timing it.
//
//     lexdump GRAMMAR_DIR SCOPE_NAME FILE
//     lexdump --time GRAMMAR_DIR SCOPE_NAME FILE
//
// The grammar folder is mounted as "Packages/" and its grammars are found and
// loaded as the editor does (syntax manager, syntax loader), but through a
// view that hides native names, so that no cache file is written into the
// folder, which may be read-only. The file is lexed from its first row to its
// last with the state carried from row to row; the output format is
// described in ui/text/syntax/token_dump.h. Exit code 0 on success, 1 with a
// message on standard error for bad arguments, an unreadable file or a
// grammar that cannot be found or loaded.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "ui/critical_section.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/forwarding_platform.h"
#include "ui/text/lexer/lexer.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/syntax/syntax_manager.h"
#include "ui/text/syntax/token_dump.h"
#include "ui/unicode.h"

namespace {

const char kUsage[] =
    "usage: lexdump [--time] GRAMMAR_DIR SCOPE_NAME FILE\n"
    "  Lexes FILE (UTF-8) with the grammar of SCOPE_NAME among the .tmLanguage files\n"
    "  below GRAMMAR_DIR and prints one line per token: row (from 1), start and end\n"
    "  column (UTF-16 units from 0, end exclusive) and the scope names, outermost\n"
    "  first, separated by tabs. With --time, lexes the file three times and prints\n"
    "  lines=N seconds=S for the fastest pass instead.\n";

int fail(const std::string& message)
{
    std::fprintf(stderr, "lexdump: %s\n", message.c_str());
    return 1;
}

// The grammar folder as the file manager sees it, without native names: the
// property-list and summary caches are then neither read nor written.
class NoNativeNames final : public slate::FileSystem {
public:
    explicit NoNativeNames(slate::FileSystem* system) : m_system(system) {}

    slate::SP<slate::MemoryBlock> read(const ustring& path) override
    {
        return m_system->read(path);
    }
    bool readAsync(const ustring& path, slate::ReadCompletion completion) override
    {
        return m_system->readAsync(path, std::move(completion));
    }
    void poll() override { m_system->poll(); }
    void listFiles(const ustring& pathOrPattern, std::vector<ustring>& entries) override
    {
        m_system->listFiles(pathOrPattern, entries);
    }
    void findFiles(const ustring& directory, const ustring& pattern,
                   std::vector<ustring>& files) override
    {
        m_system->findFiles(directory, pattern, files);
    }
    bool exists(const ustring& path) override { return m_system->exists(path); }
    bool remove(const ustring&) override { return false; }
    bool rename(const ustring&, const ustring&) override { return false; }
    ustring nativePath(const ustring&) override { return ustring(); }
    void takeChanges(std::vector<slate::FileChange>& changes) override
    {
        m_system->takeChanges(changes);
    }

private:
    std::unique_ptr<slate::FileSystem> m_system;
};

// The portable platform, except that threads run to completion inside
// startThread. The notification manager shows each error on a thread of its
// own; run inline, every report reaches standard error, in order, before the
// tool exits.
class InlineThreadPlatform final : public ForwardingPlatform {
public:
    platform::ThreadHandle startThread(platform::ThreadFunction entry, void* parameter) override
    {
        entry(parameter);
        return &m_finishedThread;
    }
    bool joinThread(platform::ThreadHandle, uint32_t) override { return true; }
    void closeThread(platform::ThreadHandle) override {}

private:
    int m_finishedThread = 0; // its address stands for every thread started
};

struct Arguments {
    bool time = false;
    std::string grammarDirectory;
    std::string scopeName;
    std::string file;
};

bool parseArguments(int argc, char** argv, Arguments& arguments)
{
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--time") == 0 && positional.empty() && !arguments.time)
            arguments.time = true;
        else
            positional.push_back(argv[i]);
    }
    if (positional.size() != 3)
        return false;
    for (const std::string& argument : positional)
        if (argument.empty())
            return false;
    arguments.grammarDirectory = positional[0];
    arguments.scopeName = positional[1];
    arguments.file = positional[2];
    return true;
}

bool readFile(const std::string& path, std::string& bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Lexes every row from the root state, carrying the state; `visit` gets each
// row's number (from 1), its text and its tokens.
template <typename Visit>
void lexRows(Syntax& syntax, const std::vector<slate::usubstring>& rows, Visit visit)
{
    ScopedLock lock(syntax.lexerLock());
    MatchRegion region;
    LexerWorkspace workspace;
    std::vector<LexedToken> tokens;
    tokens.reserve(4096);
    LexerState* state = syntax.lexer()->root();
    int64_t rowNumber = 0;
    for (const slate::usubstring& row : rows) {
        tokens.clear();
        const LineKind kind = rowNumber == 0 ? LineKind::FirstLine : LineKind::LaterLine;
        state = lex(region, workspace, state, row.begin, row.end, tokens, kind);
        visit(++rowNumber, row, tokens);
    }
}

int run(const Arguments& arguments)
{
    std::unique_ptr<slate::FileSystem> grammars(
        slate::PosixFileSystem::create(toUstring(arguments.grammarDirectory)));
    if (!grammars)
        return fail(arguments.grammarDirectory + " is not a directory");

    std::string bytes;
    if (!readFile(arguments.file, bytes))
        return fail("cannot read " + arguments.file + ": " + std::strerror(errno));
    ustring text;
    if (!decodeDumpText(bytes, text))
        return fail(arguments.file + " is not valid UTF-8");

    slate::FileManager::setInstance(new slate::FileManagerImpl);
    slate::FileManager::get().mount(u"Packages/", new NoNativeNames(grammars.release()));
    SyntaxManager::create();
    SyntaxLoader::create();
    SyntaxLoader::get().setLanguageMapSource(
        [] { return SyntaxManager::get().scopeNameToSyntax(); });

    int result = 0;
    const LanguageMap& languages = SyntaxManager::get().scopeNameToSyntax();
    auto found = languages.find(toUstring(arguments.scopeName));
    slate::SP<Syntax> syntax;
    if (found == languages.end()) {
        result = fail("no grammar in " + arguments.grammarDirectory + " has the scope name " +
                      arguments.scopeName);
    } else {
        syntax = SyntaxLoader::get().loadSyntax(found->second);
        // The loader answers a grammar it cannot load with the default
        // syntax, after reporting why.
        if (syntax.get() == SyntaxLoader::get().defaultSyntax().get())
            result = fail("cannot load the grammar " + toUtf8(found->second) + " of " +
                          arguments.scopeName);
    }

    if (result == 0) {
        const std::vector<slate::usubstring> rows = splitRows(text);
        if (arguments.time) {
            double fastest = std::numeric_limits<double>::infinity();
            for (int pass = 0; pass < 3; ++pass) {
                const auto start = std::chrono::steady_clock::now();
                lexRows(*syntax, rows,
                        [](int64_t, const slate::usubstring&, const std::vector<LexedToken>&) {});
                const std::chrono::duration<double> elapsed =
                    std::chrono::steady_clock::now() - start;
                fastest = std::min(fastest, elapsed.count());
            }
            std::printf("lines=%zu seconds=%.6f\n", rows.size(), fastest);
        } else {
            std::string out;
            lexRows(*syntax, rows,
                    [&](int64_t rowNumber, const slate::usubstring& row,
                        const std::vector<LexedToken>& tokens) {
                        appendTokenDump(out, rowNumber, row, tokens);
                        if (out.size() >= (1u << 16)) {
                            std::fwrite(out.data(), 1, out.size(), stdout);
                            out.clear();
                        }
                    });
            std::fwrite(out.data(), 1, out.size(), stdout);
        }
        if (std::fflush(stdout) != 0)
            result = fail(std::string("cannot write the output: ") + std::strerror(errno));
    }

    syntax.reset();
    SyntaxLoader::destroy();
    SyntaxManager::destroy();
    slate::FileManager::destroy();
    return result;
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    if (!parseArguments(argc, argv, arguments)) {
        std::fputs(kUsage, stderr);
        return 1;
    }

    // Only the tool's own messages and the errors reported to "the user"
    // reach standard error; the log stays quiet.
    g_debugOutputEnabled = false;
    InlineThreadPlatform threads;
    auto* notifications = new NotificationManager(u"lexdump");
    notifications->setErrorBoxFunction(
        [](platform::WindowHandle, const ustring&, const ustring& text) {
            std::fprintf(stderr, "lexdump: %s\n", toUtf8(text).c_str());
        });
    NotificationManager::set(notifications);

    const int result = run(arguments);
    NotificationManager::destroy();
    return result;
}
