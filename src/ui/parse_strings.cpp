// One pass over the units with three pieces of state: inside a word, an
// escape pending, and the quote character that opened the current quoted
// part. A quote always begins a word of its own and its closing quote ends
// it, so ab"cd" and "cd"ab are both two words.
#include "ui/parse_strings.h"

namespace {

bool isBlank(uchar c) { return c == u' ' || c == u'\t'; }

} // namespace

void parseStrings(const slate::usubstring& text, std::vector<ustring>& words)
{
    bool inWord = false;
    bool escapePending = false;
    uchar openQuote = 0;
    for (const uchar* p = text.begin; p != text.end; ++p) {
        const uchar c = *p;
        if (!inWord) {
            if (isBlank(c))
                continue;
            words.emplace_back();
            inWord = true;
        }
        ustring& word = words.back();
        if (escapePending) {
            word += c == u'n' ? u'\n' : c == u't' ? u'\t' : c;
            escapePending = false;
        } else if (!openQuote) {
            if (isBlank(c)) {
                inWord = false;
            } else if (c == u'"' || c == u'\'') {
                if (!word.empty())
                    words.emplace_back();
                openQuote = c;
            } else if (c == u'\\') {
                escapePending = true;
            } else {
                word += c;
            }
        } else if (c == u'\\') {
            escapePending = true;
        } else if (c == openQuote) {
            openQuote = 0;
            inWord = false;
        } else {
            word += c;
        }
    }
}

void parseStrings(const uchar* begin, const uchar* end, std::vector<ustring>& words)
{
    parseStrings(slate::usubstring(begin, end), words);
}
