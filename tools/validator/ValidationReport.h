#pragma once

#include <juce_core/juce_core.h>

namespace brazzle::validator
{
/** Prints one line per check, "PASS|FAIL|SKIP <format> <check>: detail", and keeps
    the counts for the summary and the exit code. */
class ValidationReport
{
public:
    void pass (const juce::String& format, const juce::String& check, const juce::String& detail);
    void fail (const juce::String& format, const juce::String& check, const juce::String& detail);
    void skip (const juce::String& format, const juce::String& check, const juce::String& detail);
    void expect (bool ok, const juce::String& format, const juce::String& check, const juce::String& detail);

    /** For progress and facts that are not checks; indented so that they never read as results. */
    void note (const juce::String& text);

    int getPasses() const noexcept { return passes; }
    int getFailures() const noexcept { return failures; }
    int getSkips() const noexcept { return skips; }

private:
    void print (const char* verdict, const juce::String& format, const juce::String& check, const juce::String& detail);

    juce::CriticalSection lock;
    int passes = 0, failures = 0, skips = 0;
};
} // namespace brazzle::validator
