// A second start of the program, for the single-instance tests: hands its
// own command line and current folder to the running instance's window, as
// start-up does, and tells the test by its exit code what it found: the
// HandOverResult as a number.
#include <vector>

#include "window_manager/instance_window.h"
#include "window_manager/windows/single_instance.h"

int main()
{
    std::vector<ustring> arguments;
    commandLineArguments(arguments);
    return static_cast<int>(singleInstanceForward(test_support::kSecondInstanceMutexName, arguments,
                                                  test_support::kSecondInstanceWaitMs));
}
