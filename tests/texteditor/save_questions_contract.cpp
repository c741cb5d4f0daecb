// The questions saving asks about a target and its account of a failed
// write, in both test programs: natively on POSIX paths, under Wine on
// Windows paths through the system's file attributes.
#include "texteditor/save_questions.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/program_files.h"
#include "support/scratch_folder.h"
#include "support/scripted_dialogs.h"
#include "ui/unicode.h"

namespace {

namespace fs = std::filesystem;

class SaveQuestionsContract : public testing::Test {
protected:
    ustring path(const std::string& name) const { return test_support::programPath(m_folder / name); }
    void makeReadOnly(const std::string& name) const
    {
        fs::permissions(m_folder / name, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }

    test_support::ScratchFolder m_folder{"vantrel-save-questions"};
    test_support::ScriptedDialogs m_dialogs;
};

TEST_F(SaveQuestionsContract, ReadOnlyFilesAreToldApartAndMadeWritable)
{
    m_folder.write("plain.txt", "plain");
    m_folder.write("locked.txt", "locked");
    makeReadOnly("locked.txt");
    m_folder.makeFolder("folder");
    struct Case {
        const char* name;
        bool readOnly;
        bool exists;
    } cases[] = {
        {"plain.txt", false, true},
        {"locked.txt", true, true},
        {"folder", false, true},
        {"missing.txt", false, false},
        {"missing/x.txt", false, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        bool exists = !row.exists;
        EXPECT_EQ(row.readOnly, isReadOnlyFile(path(row.name), exists));
        EXPECT_EQ(row.exists, exists);
    }
    ASSERT_TRUE(clearReadOnly(path("locked.txt")));
    bool exists = false;
    EXPECT_FALSE(isReadOnlyFile(path("locked.txt"), exists));
    EXPECT_EQ("locked", m_folder.read("locked.txt"));
    EXPECT_FALSE(clearReadOnly(path("missing.txt")));
}

TEST_F(SaveQuestionsContract, OverwritingAReadOnlyFileNeedsYes)
{
    m_folder.write("locked.txt", "locked");
    makeReadOnly("locked.txt");
    bool exists = false;

    EXPECT_FALSE(confirmOverwriteReadOnly(nullptr, path("locked.txt")));
    ASSERT_EQ(1u, m_dialogs.questions.size());
    EXPECT_EQ(u"Read only file", m_dialogs.questions[0].caption);
    EXPECT_TRUE(m_dialogs.questions[0].noIsDefault);
    EXPECT_TRUE(isReadOnlyFile(path("locked.txt"), exists));

    m_dialogs.answer(QuestionAnswer::Yes);
    EXPECT_TRUE(confirmOverwriteReadOnly(nullptr, path("locked.txt")));
    EXPECT_FALSE(isReadOnlyFile(path("locked.txt"), exists));

    // A writable or missing file needs no question.
    EXPECT_TRUE(confirmOverwriteReadOnly(nullptr, path("locked.txt")));
    EXPECT_TRUE(confirmOverwriteReadOnly(nullptr, path("missing.txt")));
    EXPECT_EQ(2u, m_dialogs.questions.size());
}

TEST_F(SaveQuestionsContract, FailureReasonsNameWhatTheUserCanMend)
{
    m_folder.write("locked.txt", "locked");
    makeReadOnly("locked.txt");
    m_folder.makeFolder("folder");
    m_folder.write("plain.txt", "plain");
    struct Case {
        const char* name;
        ustring reason;
    } cases[] = {
        {"gone/a.txt", u"The folder " + path("gone") + u" does not exist."},
        {"folder", u"A folder has that name."},
        {"locked.txt", u"The file is read only."},
        {"plain.txt", u"Access denied."}, // the system's own text
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.reason, saveFailureReason(path(row.name), u"Access denied."));
    }
    EXPECT_FALSE(saveFailureReason(path("plain.txt"), u"").empty());
    EXPECT_EQ(u"Unable to save " + path("plain.txt") + u"\n\nAccess denied.",
              saveFailureMessage(path("plain.txt"), u"Access denied."));
}

} // namespace
