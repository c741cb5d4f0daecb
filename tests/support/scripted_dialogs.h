// Window dialogs for tests: each dialog and question takes the next answer
// queued for it and records what it was asked. A dialog with no answer
// queued is cancelled; a question with none answers Cancel (or No), and the
// test sees it in `questions`. Installed for its lifetime.
#pragma once

#include <deque>
#include <vector>

#include "texteditor/window_dialogs.h"

namespace test_support {

class ScriptedDialogs final : public WindowDialogs {
public:
    ScriptedDialogs() : m_previous(installWindowDialogs(this)) {}
    ~ScriptedDialogs() override { installWindowDialogs(m_previous); }
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    // Queues the answer of the next open dialog: the paths chosen, written
    // into the name buffer as the system does (one path; or a folder, then
    // the names).
    void chooseToOpen(const std::vector<ustring>& buffer)
    {
        FileDialogAnswer answer;
        answer.chosen = true;
        for (const ustring& part : buffer) {
            answer.names += part;
            answer.names += u'\0';
        }
        answer.names += u'\0';
        m_openAnswers.push_back(answer);
    }
    // Queues the answer of the next save dialog: the typed name and the
    // filter pair selected (1-based).
    void chooseToSave(const ustring& path, int filterIndex = 1)
    {
        FileDialogAnswer answer;
        answer.chosen = true;
        answer.names = path;
        answer.names += u'\0';
        answer.names += u'\0';
        answer.filterIndex = filterIndex;
        m_saveAnswers.push_back(answer);
    }
    void cancelOpen(uint32_t errorCode = 0) { m_openAnswers.push_back(cancelled(errorCode)); }
    void cancelSave(uint32_t errorCode = 0) { m_saveAnswers.push_back(cancelled(errorCode)); }
    void answer(QuestionAnswer answer) { m_answers.push_back(answer); }

    FileDialogAnswer chooseFilesToOpen(platform::WindowHandle, const FileDialogRequest& request) override
    {
        openRequests.push_back(request);
        return next(m_openAnswers);
    }
    FileDialogAnswer chooseFileToSave(platform::WindowHandle, const FileDialogRequest& request) override
    {
        saveRequests.push_back(request);
        return next(m_saveAnswers);
    }
    QuestionAnswer ask(platform::WindowHandle, const Question& question) override
    {
        questions.push_back(question);
        if (m_answers.empty())
            return question.buttons == QuestionButtons::YesNoCancel ? QuestionAnswer::Cancel : QuestionAnswer::No;
        const QuestionAnswer answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }

    std::vector<FileDialogRequest> openRequests;
    std::vector<FileDialogRequest> saveRequests;
    std::vector<Question> questions;

private:
    static FileDialogAnswer cancelled(uint32_t errorCode)
    {
        FileDialogAnswer answer;
        answer.errorCode = errorCode;
        return answer;
    }
    static FileDialogAnswer next(std::deque<FileDialogAnswer>& answers)
    {
        if (answers.empty())
            return FileDialogAnswer();
        FileDialogAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    WindowDialogs* m_previous;
    std::deque<FileDialogAnswer> m_openAnswers;
    std::deque<FileDialogAnswer> m_saveAnswers;
    std::deque<QuestionAnswer> m_answers;
};

} // namespace test_support
