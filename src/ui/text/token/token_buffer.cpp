// Bucket construction and the layout hooks of the token tree. The tree calls
// the hooks wherever the per-layout bookkeeping of a bucket has to follow a
// structural change; until a storage brings layouts, a bucket has no layout
// records and the hooks have nothing to do.
#include "ui/text/token/token_buffer.h"

#include "ui/statistics.h"

TokenBuffer::TokenBuffer(TokenStorage* storage) : m_storage(storage)
{
    ++g_statTokenBufferCount.count;
}

void TokenBuffer::refreshStart()
{
}

void TokenBuffer::relayoutAll()
{
}

void TokenBuffer::updateAllLayoutSums()
{
}
