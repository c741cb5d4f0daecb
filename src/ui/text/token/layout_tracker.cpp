// Layout slots, their handles and the measurements of leading white space
// shared by the bucket walk and the layout queries.
#include "ui/text/token/layout_tracker.h"

#include <cmath>

#include "canvas/unicode_font.h"
#include "ui/text/syntax/styler.h"
#include "ui/text/syntax/syntax_loader.h"

namespace {

slate::SP<Syntax> defaultSyntax()
{
    if (SyntaxLoader::alive())
        return SyntaxLoader::get().defaultSyntax();
    // Tools and tests without the singleton share one plain-text syntax for
    // the life of the process.
    static SyntaxLoader* s_fallback = new SyntaxLoader;
    return s_fallback->defaultSyntax();
}

} // namespace

bool operator==(const LayoutSettings& a, const LayoutSettings& b)
{
    return a.font == b.font && a.syntax == b.syntax && a.colorscheme == b.colorscheme &&
           a.wordWrap == b.wordWrap && a.tabWidth == b.tabWidth && a.wrapWidth == b.wrapWidth &&
           a.linePaddingTop == b.linePaddingTop && a.linePaddingBottom == b.linePaddingBottom &&
           a.indentSubsequentLines == b.indentSubsequentLines;
}

double LayoutSettings::lineHeight() const
{
    const float height = font ? font->lineHeight() : 0.f;
    return static_cast<double>(height) + linePaddingTop + linePaddingBottom;
}

LayoutTracker::LayoutTracker()
    : m_syntax(defaultSyntax())
{
    if (Styler::alive())
        m_scopeStyler = Styler::get().defaultScopeStyler();
}

LayoutTracker::~LayoutTracker() = default;

void LayoutTracker::releaseLayout(const LayoutHandle& handle)
{
    const uint32_t index = handle.index();
    if (--m_layoutData[index].useCount <= 0)
        removeLayout(index);
}

double tabAdvance(double logicalX, float tabWidth)
{
    if (!(tabWidth > 0.f))
        return 0.0;
    return std::ceil((logicalX + 0.001) / tabWidth) * tabWidth - logicalX;
}

float whitespaceWidth(double logicalX, const uchar* begin, const uchar* end, UnicodeFont& font,
                      float tabWidth)
{
    float sum = 0.f;
    for (const uchar* p = begin; p < end; ++p) {
        if (*p == u' ')
            sum += font.advance(u' ');
        else if (*p == u'\t')
            sum += static_cast<float>(tabAdvance(logicalX + sum, tabWidth));
        else
            break;
    }
    return sum;
}
