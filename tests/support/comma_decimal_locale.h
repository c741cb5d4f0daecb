// Switches the process to a locale whose decimal separator is a comma, for
// one scope, so that tests can show that number conversions ignore it.
// `active` is false when no such locale is installed.
#pragma once

#include <clocale>
#include <string>

class CommaDecimalLocale {
public:
    CommaDecimalLocale()
    {
        m_saved = setlocale(LC_ALL, nullptr);
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "fr_FR.utf8", "de_DE", "fr_FR"}) {
            if (setlocale(LC_ALL, name) && localeconv()->decimal_point[0] == ',') {
                active = true;
                return;
            }
        }
        setlocale(LC_ALL, m_saved.c_str());
    }
    ~CommaDecimalLocale() { setlocale(LC_ALL, m_saved.c_str()); }
    CommaDecimalLocale(const CommaDecimalLocale&) = delete;
    CommaDecimalLocale& operator=(const CommaDecimalLocale&) = delete;

    bool active = false;

private:
    std::string m_saved;
};
