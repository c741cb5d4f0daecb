#include "ui/unique_id.h"

#include <atomic>

namespace {
std::atomic<int> s_lastId{0};
}

int nextUniqueId() { return s_lastId.fetch_add(1, std::memory_order_relaxed) + 1; }
