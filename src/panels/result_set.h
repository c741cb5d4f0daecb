// The interface of a panel whose contents are a list of results the user
// steps through (find results, build output). The window holds one current
// result set, which its nextResult and prevResult commands drive; without
// one both commands are disabled. Main thread only.
#pragma once

class ResultSet {
public:
    virtual ~ResultSet() = default;

    // Moves to the next (`forward`) or previous result and opens the place it
    // names.
    virtual void gotoResult(bool forward) = 0;

    // Whether stepping in that direction is enabled.
    virtual bool hasResults(bool forward) = 0;
};
