// The argument table of the program's command line. The first matching row
// decides; a value-taking switch consumes the argument after it whatever that
// argument looks like, so "--command --debug" queues the command "--debug".
#include "texteditor/command_line_arguments.h"

namespace {

const uchar kPackageExtension[] = u".vantrel-package";

bool startsWithDashes(const ustring& argument)
{
    return argument.size() >= 2 && argument[0] == u'-' && argument[1] == u'-';
}

} // namespace

bool isPackageFileName(const ustring& argument)
{
    return slate::usubstring(argument).endsWithNoCase(slate::usubstring(kPackageExtension));
}

CommandLineArguments parseCommandLineArguments(const std::vector<ustring>& arguments)
{
    CommandLineArguments result;
    const size_t count = arguments.size();
    for (size_t i = 0; i < count; ++i) {
        const ustring& argument = arguments[i];
        const bool hasValue = i + 1 < count;
        if (argument == u"--multiinstance") {
            result.singleInstance = false;
        } else if (argument == u"--command") {
            if (hasValue)
                result.commands.push_back(arguments[++i]);
        } else if (argument == u"--project") {
            if (hasValue)
                result.project = arguments[++i];
        } else if (argument == u"--data") {
            if (hasValue) {
                result.hasDataSwitch = true;
                result.dataSwitch = arguments[++i];
            }
        } else if (argument == u"--install") {
            // Accepted for older shortcuts; the package name after it is read
            // as any other argument.
        } else if (argument == u"--no-swapchains") {
            result.swapChains = false;
        } else if (argument == u"--opengl") {
            result.openGL = true;
        } else if (argument == u"--debug") {
            result.debug = true;
        } else if (argument == u"--restore") {
            result.restore = true;
        } else if (startsWithDashes(argument)) {
            // An unknown switch: skipped alone.
        } else if (isPackageFileName(argument)) {
            result.packages.push_back(argument);
        } else {
            result.files.push_back(argument);
        }
    }
    return result;
}
