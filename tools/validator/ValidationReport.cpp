#include "ValidationReport.h"

#include <iostream>

namespace brazzle::validator
{
void ValidationReport::print (const char* verdict,
                              const juce::String& format,
                              const juce::String& check,
                              const juce::String& detail)
{
    const juce::ScopedLock scope (lock);
    std::cout << verdict << " " << format << " " << check << ": " << detail << std::endl;
}

void ValidationReport::pass (const juce::String& format, const juce::String& check, const juce::String& detail)
{
    print ("PASS", format, check, detail);
    ++passes;
}

void ValidationReport::fail (const juce::String& format, const juce::String& check, const juce::String& detail)
{
    print ("FAIL", format, check, detail);
    ++failures;
}

void ValidationReport::skip (const juce::String& format, const juce::String& check, const juce::String& detail)
{
    print ("SKIP", format, check, detail);
    ++skips;
}

void ValidationReport::expect (bool ok, const juce::String& format, const juce::String& check, const juce::String& detail)
{
    if (ok)
        pass (format, check, detail);
    else
        fail (format, check, detail);
}

void ValidationReport::note (const juce::String& text)
{
    const juce::ScopedLock scope (lock);
    std::cout << "     " << text << std::endl;
}
} // namespace brazzle::validator
