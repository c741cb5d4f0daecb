// A platform for tests of broken invariants: a failed assertion is recorded
// and then, instead of stopping the process, throws `AssertionHit` out of the
// code that failed it. Installed for its lifetime.
#pragma once

#include <string>
#include <vector>

#include "ui/forwarding_platform.h"

struct AssertionHit {};

class AssertionRecorder final : public ForwardingPlatform {
public:
    void showAssertion(const ustring& text) override { assertions.push_back(text); }
    [[noreturn]] void breakpoint() override { throw AssertionHit(); }

    // The expression of the last report ("Assertion failed in FILE:LINE:
    // EXPRESSION"), or empty when there was none.
    std::string lastExpression() const
    {
        if (assertions.empty())
            return std::string();
        const ustring& text = assertions.back();
        const size_t colon = text.find(u": ");
        const ustring expression = colon == ustring::npos ? text : text.substr(colon + 2);
        return std::string(expression.begin(), expression.end());
    }

    std::vector<ustring> assertions;
};
