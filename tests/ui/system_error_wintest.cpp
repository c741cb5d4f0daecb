#include "ui/system_error.h"

#include <gtest/gtest.h>

#include "ui/last_error.h"

// The system's text for the last error, without the line break the system
// ends it with; nothing when there is no error.
TEST(SystemError, LastErrorMessageIsTheSystemsTextWithoutItsLineBreak)
{
    setLastErrorCode(2); // ERROR_FILE_NOT_FOUND
    const ustring message = lastErrorMessage();
    ASSERT_FALSE(message.empty());
    EXPECT_NE(u'\n', message.back());
    EXPECT_NE(u'\r', message.back());
    EXPECT_NE(u' ', message.back());

    setLastErrorCode(0);
    EXPECT_EQ(u"", lastErrorMessage());
}
