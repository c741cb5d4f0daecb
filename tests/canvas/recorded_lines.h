// Picking out the lines a recording canvas wrote, for tests that look at one
// kind of call among the rest.
#pragma once

#include <string>
#include <vector>

#include "canvas/recording_canvas.h"

// The lines `canvas` wrote that begin with `prefix`, in order.
inline std::vector<std::string> linesStartingWith(const RecordingCanvas& canvas,
                                                  const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : canvas.lines())
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line);
    return out;
}
