#include "ui/text/parse_exception.h"

#include "ui/unicode.h"

ParseException::ParseException(const std::string& message) : m_message(message) {}

ParseException::ParseException(const ustring& message) : m_message(toUtf8(message)) {}

ParseException::~ParseException() = default;

const char* ParseException::what() const noexcept { return m_message.c_str(); }
