#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

/** The plug-in's eleven parameters: IDs, ranges, defaults, flags and text forms. */
struct PluginParameters
{
    static constexpr const char* crossoverBypass = "crossover:bypass";
    static constexpr const char* crossoverCutoff = "crossover:cutoff";
    static constexpr const char* crossoverBand = "crossover:band";
    static constexpr const char* saturatorTone = "saturator:tone";
    static constexpr const char* saturatorType = "saturator:type";
    static constexpr const char* saturatorDrive = "saturator:drive";
    static constexpr const char* pmComposite = "pm:composite";
    static constexpr const char* pmSpread = "pm:spread";
    static constexpr const char* globalAgc = "global:agc";
    static constexpr const char* globalOutputGain = "global:outputGain";
    static constexpr const char* globalMix = "global:mix";

    /** Adds the parameters to the tree in host order. Call once, before the tree's state is replaced. */
    static void attachParameters (juce::AudioProcessorValueTreeState& parameters);

    /** The plain value that typed text stands for, through the parameter's own
        conversion (the framework's number reading for those without one), before the
        range limits it. */
    static float textToPlainValue (const juce::String& parameterId, const juce::String& text);

    /** The text conversions, exposed so that they can be checked without a parameter tree. */
    static juce::String cutoffToText (float value);
    static float textToCutoff (const juce::String& text);
    static juce::String toneToText (float value);
    static float textToTone (const juce::String& text);
    static juce::String curveToText (float value);
    static float textToCurve (const juce::String& text);
    static juce::String spreadToText (float value);
    static float textToSpread (const juce::String& text);
    static juce::String gainToText (float value);
    static float textToGain (const juce::String& text);
    static juce::String mixToText (float value);
    static float textToMix (const juce::String& text);
};
