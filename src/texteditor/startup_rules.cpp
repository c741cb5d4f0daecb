#include "texteditor/startup_rules.h"

#include "filesystem/file_utils.h"
#include "ui/hash.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"

namespace {

bool isSeparator(uchar unit) { return unit == u'/' || unit == u'\\'; }

} // namespace

ustring joinNativePath(const ustring& directory, const ustring& name)
{
    if (directory.empty() || isSeparator(directory.back()) || directory.back() == kNativePathSeparator)
        return directory + name;
    return directory + kNativePathSeparator + name;
}

bool isDevelopmentBuild(const ustring& executableFolder, const ustring& buildTree)
{
    if (buildTree.empty() || executableFolder.size() < 2 + buildTree.size())
        return false;
    const slate::usubstring prefix(executableFolder.data() + 2, executableFolder.data() + 2 + buildTree.size());
    return prefix.equalsNoCase(slate::usubstring(buildTree));
}

ustring chooseDataDirectory(const ustring& executableFolder, const ustring& applicationDataFolder,
                            bool developmentBuild)
{
    const ustring portable = joinNativePath(executableFolder, u"Data");
    if (!executableFolder.empty() && isDirectory(portable))
        return portable;
    if (applicationDataFolder.empty())
        return ustring();
    return joinNativePath(applicationDataFolder, developmentBuild ? u"Vantrel Development" : u"Vantrel");
}

ustring dataDirectoryFromSwitch(const ustring& value, const FullPathFunction& fullPath)
{
    ustring path = value;
    if (!path.empty() && isSeparator(path.back()))
        path.pop_back();
    if (path.empty())
        return ustring();
    return fullPath(path);
}

ustring singleInstanceMutexName(const ustring& executableFolder)
{
    const ustring lowered = toLower(slate::usubstring(executableFolder));
    std::string bytes;
    bytes.reserve(lowered.size() * 2);
    for (uchar unit : lowered) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    char digest[33];
    md5HexDigest(digest, bytes.data(), bytes.size());
    return ustring(kSingleInstanceMutexPrefix) + u'-' + toUstring(digest);
}

bool useOpenGLRenderer(bool openGLSwitch, const ustring& rendererOption)
{
    return openGLSwitch || slate::usubstring(rendererOption).equalsNoCase(slate::usubstring(u"opengl"));
}

ustring handOverFailureMessage(HandOverResult result, const std::vector<ustring>& arguments)
{
    if (arguments.empty() || result == HandOverResult::FirstInstance || result == HandOverResult::HandedOver)
        return ustring();
    ustring message = result == HandOverResult::NoWindowAnswered
                          ? u"Vantrel is already running but did not respond, so these were not opened:\n"
                          : u"Vantrel is already running but did not accept the command line, so these may not "
                            u"have been opened:\n";
    for (const ustring& argument : arguments)
        message += u"\n" + argument;
    return message;
}
