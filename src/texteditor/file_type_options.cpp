// The file-type options chain. Lookups in an Options object try its own
// values, then its parents from the last added to the first, so the order
// in which these functions add parents is what makes a syntax's file beat
// the User File Type file, which beats the Default File Type file through
// its own parent link.
#include "texteditor/file_type_options.h"

#include "ui/options_manager.h"
#include "ui/text/syntax/syntax_manager.h"

const char16_t kDefaultFileTypeOptionsPath[] = u"Packages/Default/Options/Default File Type.vantrel-options";
const char16_t kUserFileTypeOptionsPath[] = u"Packages/Default/Options/User File Type.vantrel-options";
const char16_t kPlainTextSyntaxPath[] = u"Packages/Text/Plain Text.tmLanguage";

void linkFileTypeOptions()
{
    OptionsManager& manager = OptionsManager::get();
    slate::SP<Options> user = manager.getOptions(ustring(kUserFileTypeOptionsPath));
    slate::SP<Options> defaults = manager.getOptions(ustring(kDefaultFileTypeOptionsPath));
    if (!user->inheritsFrom(defaults))
        user->addParent(defaults);
}

void addUserFileTypeOptions(const slate::SP<Options>& options)
{
    options->addParent(OptionsManager::get().getOptions(ustring(kUserFileTypeOptionsPath)));
}

void applySyntaxOptions(const slate::SP<Options>& options, const ustring& syntaxPath)
{
    addUserFileTypeOptions(options);
    options->addParent(loadSyntaxOptions(syntaxPath));
    options->set(ustring(u"syntax"), syntaxPath);
}

bool hasSyntaxOptions(const slate::SP<Options>& options, const ustring& syntaxPath)
{
    return options->inheritsFrom(loadSyntaxOptions(syntaxPath));
}

void applyFileTypeOptions(const slate::SP<Options>& options, const ustring& fileName)
{
    ustring syntax;
    if (SyntaxManager::alive())
        syntax = SyntaxManager::get().syntaxForFile(fileName);
    if (syntax.empty())
        syntax = kPlainTextSyntaxPath;
    applySyntaxOptions(options, syntax);
}
