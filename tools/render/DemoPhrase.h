#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace brazzle::tools
{
/** A few bars of bass, chords and drums made in code, so that the renderer has
    something musical to process without an input file. Always the same samples. */
juce::AudioBuffer<float> makeDemoPhrase (double sampleRate);
} // namespace brazzle::tools
