// Formatting of the token dump (see token_dump.h). The dump is an interface
// to other programs, so its columns follow the text model rather than the
// file: offsets count UTF-16 units, as buffer positions do, and rows are
// split after normalising line breaks, as loading a file does.
#include "ui/text/syntax/token_dump.h"

#include <algorithm>

#include "ui/unicode.h"

bool decodeDumpText(const std::string& bytes, ustring& text)
{
    text.clear();
    size_t start = 0;
    if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    if (start == bytes.size())
        return true;
    const ustring decoded = utf8ToUtf16(bytes.data() + start, bytes.data() + bytes.size());
    if (decoded.empty())
        return false; // the strict conversion gives nothing for malformed input
    text.reserve(decoded.size());
    for (size_t i = 0; i < decoded.size(); ++i) {
        if (decoded[i] == u'\r') {
            text += u'\n';
            if (i + 1 < decoded.size() && decoded[i + 1] == u'\n')
                ++i;
        } else {
            text += decoded[i];
        }
    }
    return true;
}

std::vector<slate::usubstring> splitRows(const ustring& text)
{
    std::vector<slate::usubstring> rows;
    const uchar* rowBegin = text.data();
    const uchar* end = text.data() + text.size();
    for (const uchar* unit = rowBegin; unit != end; ++unit) {
        if (*unit == u'\n') {
            rows.emplace_back(rowBegin, unit + 1);
            rowBegin = unit + 1;
        }
    }
    if (rowBegin != end)
        rows.emplace_back(rowBegin, end);
    return rows;
}

std::string scopeNamesOutermostFirst(const slate::usubstring& scopeText)
{
    std::string names;
    const uchar* nameEnd = scopeText.end;
    // Walk backwards over the names so the outermost comes out first.
    while (nameEnd != scopeText.begin) {
        while (nameEnd != scopeText.begin && nameEnd[-1] == u' ')
            --nameEnd;
        const uchar* nameBegin = nameEnd;
        while (nameBegin != scopeText.begin && nameBegin[-1] != u' ')
            --nameBegin;
        if (nameBegin != nameEnd) {
            if (!names.empty())
                names += ' ';
            names += utf16ToUtf8(nameBegin, nameEnd);
        }
        nameEnd = nameBegin;
    }
    return names;
}

void appendTokenDump(std::string& out, int64_t rowNumber, const slate::usubstring& row,
                     const std::vector<LexedToken>& tokens)
{
    const uchar* contentEnd = row.end;
    if (contentEnd != row.begin && contentEnd[-1] == u'\n')
        --contentEnd;
    const std::string rowText = std::to_string(rowNumber);
    for (const LexedToken& token : tokens) {
        const uchar* end = std::min(token.end, contentEnd);
        if (token.begin >= end)
            continue;
        out += rowText;
        out += '\t';
        out += std::to_string(token.begin - row.begin);
        out += '\t';
        out += std::to_string(end - row.begin);
        out += '\t';
        if (token.scope)
            out += scopeNamesOutermostFirst(token.scope->text);
        out += '\n';
    }
}
