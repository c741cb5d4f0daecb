// The end of a trial phase: the next way is tried, or the cheapest chosen,
// or, after the chosen way's run, a new trial begins.
#include "ui/text/lexer/search_trial.h"

void SearchTrial::nextPhase()
{
    calls = 0;
    if (phase + 1 < kSearchWays) {
        ++phase;
    } else if (phase + 1 == kSearchWays) {
        int cheapest = 0;
        for (int way = 1; way < kSearchWays; ++way) {
            if (nanoseconds[way] < nanoseconds[cheapest])
                cheapest = way;
        }
        chosen = static_cast<SearchWay>(cheapest);
        phase = kSearchWays;
    } else {
        *this = SearchTrial();
    }
}
