// A font for layout tests and benchmarks: every code unit advances by the
// same width unless given one of its own, and nothing is drawn.
#pragma once

#include <map>

#include "canvas/unicode_font.h"

class FixedAdvanceFont : public UnicodeFont {
public:
    FixedAdvanceFont(float advance, float lineHeight, std::map<uchar, float> exceptions = {})
        : m_advance(advance), m_exceptions(std::move(exceptions))
    {
        m_lineHeight = lineHeight;
    }

    void drawText(float, float, const uchar*, const uchar*, const ColourPair&, bool) override
    {
    }
    void beginBatch(bool) override {}
    void endBatch() override {}
    void flush() override {}
    void getAdvances(int first, int count, float* out) override
    {
        for (int i = 0; i < count; ++i) {
            auto found = m_exceptions.find(static_cast<uchar>(first + i));
            out[i] = found == m_exceptions.end() ? m_advance : found->second;
        }
    }

private:
    float m_advance;
    std::map<uchar, float> m_exceptions;
};
