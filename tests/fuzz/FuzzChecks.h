#pragma once

#include "BrazzleAudioProcessor.h"
#include "presets/StateDocument.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace brazzle::fuzz
{
/** Stops the run with a message; libFuzzer keeps the input that did it. */
inline void require (bool condition, const char* what)
{
    if (! condition)
    {
        std::fprintf (stderr, "fuzzer: %s\n", what);
        std::abort();
    }
}

/** Every parameter's plain value finite and inside its range, whatever was restored. */
inline void requireParametersInRange (BrazzleAudioProcessor& processor)
{
    for (auto* parameter : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
        require (ranged != nullptr, "a parameter without a range");

        const auto value = processor.getParameterTree().getRawParameterValue (ranged->paramID)->load();
        const auto& range = ranged->getNormalisableRange();
        require (std::isfinite (value), "a parameter that is not finite");
        require (value >= range.start && value <= range.end, "a parameter outside its range");
    }
}

inline void requireVersionRewritten (BrazzleAudioProcessor& processor)
{
    require (processor.getParameterTree().state.getProperty ("version").toString() == JucePlugin_VersionString,
             "the version was not rewritten");
}

/** Text as the clipboard or a text field hands it over: only well-formed UTF-8 makes a
    string; other bytes are no text at all. */
inline std::optional<juce::String> utf8Text (const std::uint8_t* data, std::size_t size)
{
    if (size > 1 << 20)
        return {};

    const auto* chars = reinterpret_cast<const char*> (data);

    if (! qv::StateDocument::isWellFormedUtf8 (chars, static_cast<int> (size)))
        return {};

    return juce::String::fromUTF8 (chars, static_cast<int> (size));
}
} // namespace brazzle::fuzz
