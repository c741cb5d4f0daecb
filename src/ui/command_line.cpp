#include "ui/command_line.h"

#include "ui/string_utils.h"

namespace {

void appendQuoted(ustring& line, const slate::usubstring& word)
{
    line += u'"';
    line += escapeString(word);
    line += u'"';
}

} // namespace

ustring makeCommandLine(const slate::usubstring& name, const slate::usubstring& argument)
{
    ustring line(name.begin, name.end);
    line += u' ';
    appendQuoted(line, argument);
    return line;
}

ustring joinCommandLine(const std::vector<slate::usubstring>& arguments, size_t first)
{
    ustring line;
    if (first >= arguments.size())
        return line;
    line.assign(arguments[first].begin, arguments[first].end);
    for (size_t i = first + 1; i < arguments.size(); ++i) {
        line += u' ';
        appendQuoted(line, arguments[i]);
    }
    return line;
}

ustring quoteCommandLine(const std::vector<slate::usubstring>& arguments)
{
    ustring line;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (i)
            line += u' ';
        appendQuoted(line, arguments[i]);
    }
    return line;
}
