// The one exception type of every data-file reader (property lists and their
// caches, grammars, preferences, colour schemes, syntax summaries). A reader
// throws it by value with a message saying what was wrong and where; the
// loader catches it by reference, reports it with the path and falls back to
// a default.
#pragma once

#include <exception>
#include <string>

#include "ui/ustring.h"

class ParseException : public std::exception {
public:
    // `message` is UTF-8.
    explicit ParseException(const std::string& message);
    // Kept as UTF-8; a message that is not valid UTF-16 becomes empty.
    explicit ParseException(const ustring& message);
    ~ParseException() override;

    // The UTF-8 message; turn it back into wide text with toUstring.
    const char* what() const noexcept override;

private:
    std::string m_message;
};
