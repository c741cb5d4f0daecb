// Property-list cache records: a value read from any bytes is written back
// and read again to an equal value.
#include <cstdlib>

#include "fuzz_target.h"
#include "ui/byte_buffer.h"
#include "ui/text/lexer/plist.h"

namespace {

bool sameValue(const PlistValue& a, const PlistValue& b)
{
    if (a.has_value() != b.has_value() || (a.has_value() && a.type() != b.type()))
        return false;
    if (!a.has_value())
        return true;
    if (const auto* array = std::any_cast<PlistArray>(&a)) {
        const auto& other = std::any_cast<const PlistArray&>(b);
        if (array->size() != other.size())
            return false;
        for (size_t i = 0; i < array->size(); ++i) {
            if (!sameValue((*array)[i], other[i]))
                return false;
        }
        return true;
    }
    if (const auto* dict = std::any_cast<PlistDict>(&a)) {
        const auto& other = std::any_cast<const PlistDict&>(b);
        if (dict->size() != other.size())
            return false;
        for (const auto& [key, value] : *dict) {
            const auto entry = other.find(key);
            if (entry == other.end() || !sameValue(value, entry->second))
                return false;
        }
        return true;
    }
    if (const auto* text = std::any_cast<ustring>(&a))
        return *text == std::any_cast<const ustring&>(b);
    if (const auto* number = std::any_cast<int>(&a))
        return *number == std::any_cast<int>(b);
    return std::any_cast<bool>(a) == std::any_cast<bool>(b);
}

} // namespace

VANTREL_FUZZ_TARGET(plist_binary)
{
    ReadBuffer buffer(data, size);
    PlistValue value;
    if (!readPlistValue(buffer, value))
        return 0;
    WriteBuffer written;
    writePlistValue(written, value);
    ReadBuffer again(written.data(), written.size());
    PlistValue reread;
    if (!readPlistValue(again, reread) || !again.atEnd() || !sameValue(value, reread))
        std::abort();
    return 0;
}
