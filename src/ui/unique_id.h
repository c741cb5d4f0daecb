// Ids for windows, buffers and views, all from one process-wide counter.
#pragma once

// The next id: 1 on the first call, then 2, 3 and so on. Ids are never
// reused within a process. Meant for the main thread, but safe on any.
int nextUniqueId();
