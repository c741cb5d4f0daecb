#include "ui/user_name.h"

#include <gtest/gtest.h>

// The system names the user, and the name holds no terminating NUL.
TEST(UserName, SystemNamesTheUser)
{
    ustring name;
    ASSERT_TRUE(currentUserName(name));
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(ustring::npos, name.find(u'\0'));
}
