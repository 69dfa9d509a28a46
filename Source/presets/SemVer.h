#pragma once

#include <juce_core/juce_core.h>

#include <algorithm>
#include <limits>

namespace qv
{
/** A dotted major.minor.patch version as plug-in state carries it. Missing parts and
    parts without leading digits read as 0, so "1.2" is 1.2.0 and "" is 0.0.0. */
struct SemVer
{
    explicit SemVer (const juce::String& text)
    {
        const auto parts = juce::StringArray::fromTokens (text, ".", {});
        int* const fields[] = { &major, &minor, &patch };

        for (int i = 0; i < 3 && i < parts.size(); ++i)
            *fields[i] = readLeadingInteger (parts[i]);
    }

    bool operator< (const SemVer& other) const noexcept
    {
        if (major != other.major)
            return major < other.major;

        if (minor != other.minor)
            return minor < other.minor;

        return patch < other.patch;
    }

    int major = 0;
    int minor = 0;
    int patch = 0;

    /** Leading white space, an optional sign, then as many decimal digits as follow
        (0 without digits). Saturates instead of overflowing on absurdly long digit
        runs, so it is safe on text from untrusted documents. */
    static int readLeadingInteger (const juce::String& part)
    {
        auto p = part.getCharPointer();

        while (p.isWhitespace())
            ++p;

        bool negative = false;

        if (*p == '-' || *p == '+')
        {
            negative = *p == '-';
            ++p;
        }

        juce::int64 value = 0;

        while (p.isDigit())
        {
            value = std::min<juce::int64> (value * 10 + (*p - '0'), std::numeric_limits<int>::max());
            ++p;
        }

        return static_cast<int> (negative ? -value : value);
    }
};
} // namespace qv
