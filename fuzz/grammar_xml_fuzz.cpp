// Grammars from XML, as the syntax loader reads them: parsed, their contexts
// loaded and compiled. Only ParseException may come out, as only that is
// caught by the loader.
#include "fuzz_target.h"
#include "plist_xml_input.h"
#include "ui/text/lexer/compiled_lexer.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"

VANTREL_FUZZ_TARGET(grammar_xml)
{
    TiXmlDocument document;
    const TiXmlElement* top = plistXmlTopValue(document, data, size);
    if (!top)
        return 0;
    LoadedContextSet set;
    try {
        PlistValue value;
        readPlistXml(top, value);
        Grammar grammar;
        parseTextMateGrammar(value, grammar, false);
        LanguageMap languages;
        GrammarCache cache;
        loadLexerContexts(grammar, languages, set, cache);
        compileLexerContexts(set.contexts);
    } catch (const ParseException&) {
    }
    freeLoadedContexts(set);
    return 0;
}
