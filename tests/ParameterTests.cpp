#include "BrazzleAudioProcessor.h"
#include "PluginParameters.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
struct ParameterProperties
{
    const char* id;
    const char* name;
    float start, end, step, defaultValue;
    bool automatable, discrete;
};

// Host order.
constexpr ParameterProperties parameterTable[] = {
    { "crossover:bypass", "Crossover Bypass", 0.0f, 1.0f, 1.0f, 0.0f, true, false },
    { "crossover:cutoff", "Crossover Cutoff", 200.0f, 16000.0f, 1.0f, 1800.0f, false, false },
    { "crossover:band", "Target Band", 0.0f, 1.0f, 1.0f, 0.0f, true, false },
    { "saturator:tone", "Tone", 0.0f, 1.0f, 0.001f, 0.5f, true, false },
    { "saturator:type", "Curve Shape", 0.0f, 5.0f, 1.0f, 0.0f, true, true },
    { "saturator:drive", "Drive Amount", 0.0f, 36.0f, 0.1f, 0.0f, true, false },
    { "pm:composite", "Phase Amount", 0.0f, 1.0f, 0.001f, 0.0f, true, false },
    { "pm:spread", "Spread", -4.0f, 4.0f, 0.001f, 0.0f, true, false },
    { "global:agc", "Auto Gain Compensation", 0.0f, 1.0f, 1.0f, 0.0f, true, false },
    { "global:outputGain", "Output Gain", -24.0f, 24.0f, 0.01f, 0.0f, true, false },
    { "global:mix", "Output Mix", 0.0f, 1.0f, 0.001f, 1.0f, true, false },
};

juce::RangedAudioParameter& parameter (BrazzleAudioProcessor& processor, const char* id)
{
    auto* p = processor.getParameterTree().getParameter (id);
    EXPECT_NE (p, nullptr) << id;
    return *p;
}

// The parameters' own conversions on plain values; the five parameters without
// functions use the framework's number text.
juce::String textOf (const juce::String& id, float value)
{
    using P = PluginParameters;
    if (id == P::crossoverCutoff) return P::cutoffToText (value);
    if (id == P::saturatorTone) return P::toneToText (value);
    if (id == P::saturatorType) return P::curveToText (value);
    if (id == P::pmSpread) return P::spreadToText (value);
    if (id == P::globalOutputGain) return P::gainToText (value);
    if (id == P::globalMix) return P::mixToText (value);
    return {};
}

float valueOf (const juce::String& id, const juce::String& text)
{
    using P = PluginParameters;
    if (id == P::crossoverCutoff) return P::textToCutoff (text);
    if (id == P::saturatorTone) return P::textToTone (text);
    if (id == P::saturatorType) return P::textToCurve (text);
    if (id == P::pmSpread) return P::textToSpread (text);
    if (id == P::globalOutputGain) return P::textToGain (text);
    if (id == P::globalMix) return P::textToMix (text);
    return P::textToPlainValue (id, text);
}

// True when a plain value survives the trip through the host's normalised value.
bool representable (const juce::RangedAudioParameter& p, float value)
{
    return p.convertFrom0to1 (p.convertTo0to1 (value)) == value;
}

TEST (ParameterSet, ElevenParametersInHostOrderWithTheirProperties)
{
    BrazzleAudioProcessor processor;
    const auto& params = processor.getParameters();
    ASSERT_EQ (params.size(), 11);

    for (int i = 0; i < params.size(); ++i)
    {
        const auto& expected = parameterTable[i];
        auto* p = dynamic_cast<juce::AudioProcessorValueTreeState::Parameter*> (params[i]);
        ASSERT_NE (p, nullptr);
        SCOPED_TRACE (expected.id);

        EXPECT_EQ (p->getParameterID(), expected.id);
        EXPECT_EQ (p->getName (100), expected.name);
        EXPECT_EQ (p->getLabel(), "");

        const auto& range = p->getNormalisableRange();
        EXPECT_EQ (range.start, expected.start);
        EXPECT_EQ (range.end, expected.end);
        EXPECT_EQ (range.interval, expected.step);
        EXPECT_EQ (range.skew, 1.0f);
        EXPECT_FALSE (range.symmetricSkew);

        EXPECT_EQ (p->convertFrom0to1 (p->getDefaultValue()), expected.defaultValue);
        EXPECT_EQ (*processor.getParameterTree().getRawParameterValue (expected.id), expected.defaultValue);
        EXPECT_EQ (p->isAutomatable(), expected.automatable);
        EXPECT_EQ (p->isDiscrete(), expected.discrete);
        EXPECT_FALSE (p->isMetaParameter());
        EXPECT_FALSE (p->isBoolean());
        EXPECT_EQ (p->getCategory(), juce::AudioProcessorParameter::genericParameter);
        EXPECT_EQ (p->getNumSteps(), static_cast<int> ((expected.end - expected.start) / expected.step) + 1);
    }
}

TEST (ParameterSet, StepCountsTheHostSees)
{
    BrazzleAudioProcessor processor;
    const std::pair<const char*, int> cases[] = {
        { "crossover:bypass", 2 }, { "crossover:band", 2 }, { "global:agc", 2 },
        { "saturator:type", 6 },   { "crossover:cutoff", 15801 },
    };

    for (const auto& [id, steps] : cases)
        EXPECT_EQ (parameter (processor, id).getNumSteps(), steps) << id;
}

struct TextCase
{
    const char* id;
    float value;
    const char* text;
};

TEST (ParameterSet, ValueToText)
{
    const TextCase cases[] = {
        { "crossover:cutoff", 1800.0f, "1800Hz" },
        { "crossover:cutoff", 1799.9f, "1799Hz" },
        { "crossover:cutoff", 16000.0f, "16000Hz" },
        { "saturator:tone", 0.5f, "0W" },
        { "saturator:tone", 0.75f, "25B" },
        { "saturator:tone", 0.25f, "25W" },
        { "saturator:tone", 1.0f, "50B" },
        { "saturator:tone", 0.0f, "50W" },
        { "saturator:tone", 0.505f, "0B" },
        { "saturator:type", 0.0f, "PASS" },
        { "saturator:type", 1.0f, "TAPE" },
        { "saturator:type", 2.7f, "TUBE" },
        { "saturator:type", 3.0f, "CROSSOVER" },
        { "saturator:type", 4.0f, "LOG" },
        { "saturator:type", 5.0f, "FOLDBACK" },
        { "saturator:type", 6.0f, "PASS" },
        { "pm:spread", -1.5f, "L1.5ms" },
        { "pm:spread", 2.0f, "R2.0ms" },
        { "pm:spread", 0.04f, "C0.0ms" },
        { "pm:spread", -0.05f, "L0.1ms" },
        { "pm:spread", 0.049f, "C0.0ms" },
        { "global:outputGain", -3.5f, "-3.5dB" },
        { "global:outputGain", 12.0f, "12.0dB" },
        { "global:outputGain", -0.04f, "0.0dB" },
        { "global:outputGain", 0.049f, "0.0dB" },
        { "global:outputGain", 24.0f, "24.0dB" },
        { "global:mix", 1.0f, "100%" },
        { "global:mix", 0.5f, "50%" },
        { "global:mix", 0.123f, "12.3%" },
        { "global:mix", 0.0f, "0%" },
        { "crossover:bypass", 0.0f, "0" },
        { "crossover:band", 1.0f, "1" },
        { "global:agc", 1.0f, "1" },
        { "saturator:drive", 0.0f, "0.0" },
        { "saturator:drive", 36.0f, "36.0" },
        { "pm:composite", 0.0f, "0.000" },
        { "pm:composite", 0.5f, "0.500" },
        { "pm:composite", 1.0f, "1.000" },
    };

    BrazzleAudioProcessor processor;

    // The conversions work on plain values. Through the host's normalised value the
    // same texts appear wherever the value survives that trip (1799.9 is snapped first).
    for (const auto& c : cases)
    {
        auto& p = parameter (processor, c.id);
        const auto functionText = textOf (c.id, c.value);

        if (functionText.isNotEmpty())
            EXPECT_EQ (functionText, juce::String (c.text)) << c.id << " at " << c.value;

        if (representable (p, c.value))
            EXPECT_EQ (p.getText (p.convertTo0to1 (c.value), 100), juce::String (c.text)) << c.id << " at " << c.value;
        else
            EXPECT_FALSE (functionText.isEmpty()) << c.id << " at " << c.value << " is checked nowhere";
    }
}

struct ParseCase
{
    const char* id;
    const char* text;
    float converted; // what the parameter's own conversion reads
    float stored;    // what the parameter holds after the range limits and snaps it
};

TEST (ParameterSet, TextToValue)
{
    // Infinity and overflow read as the largest float of their sign, so that the range
    // takes them to its nearer end; NaN is no number and reads as 0.
    constexpr float huge = std::numeric_limits<float>::max();

    const ParseCase cases[] = {
        { "crossover:cutoff", "1800Hz", 1800.0f, 1800.0f },
        { "crossover:cutoff", "50Hz", 50.0f, 200.0f },
        { "crossover:cutoff", "1.8kHz", 1.8f, 200.0f },
        { "saturator:tone", "25B", 0.75f, 0.75f },
        { "saturator:tone", "25W", 0.25f, 0.25f },
        { "saturator:tone", "10B", 0.6f, 0.6f },
        { "saturator:tone", "10W", 0.4f, 0.4f },
        { "saturator:tone", "10", 0.1f, 0.1f },
        { "saturator:type", "tape", 1.0f, 1.0f },
        { "saturator:type", " tape", 0.0f, 0.0f },
        { "saturator:type", "3", 0.0f, 0.0f },
        { "saturator:type", "Tube", 2.0f, 2.0f },
        { "saturator:type", "CROSSOVER", 3.0f, 3.0f },
        { "saturator:type", "log", 4.0f, 4.0f },
        { "saturator:type", "FoldBack", 5.0f, 5.0f },
        { "saturator:type", "PASS", 0.0f, 0.0f },
        { "pm:spread", "L1.5ms", -1.5f, -1.5f },
        { "pm:spread", "R2ms", 2.0f, 2.0f },
        { "pm:spread", "C0.0ms", 0.0f, 0.0f },
        { "pm:spread", "0.7", 0.7f, 0.7f },
        { "pm:spread", "LR1", -1.0f, -1.0f },
        { "global:outputGain", "-6dB", -6.0f, -6.0f },
        { "global:mix", "75%", 0.75f, 0.75f },
        { "saturator:drive", "12.3", 12.3f, 12.3f },
        { "pm:composite", "0.25", 0.25f, 0.25f },
        { "crossover:cutoff", "nanHz", 0.0f, 200.0f },
        { "crossover:cutoff", "infHz", huge, 16000.0f },
        { "crossover:cutoff", "1e999", huge, 16000.0f },
        { "saturator:tone", "nan", 0.0f, 0.0f },
        { "saturator:tone", "infB", huge / 100.0f, 1.0f },
        { "saturator:tone", "infW", -huge / 100.0f, 0.0f },
        { "saturator:tone", "-1e999", -huge / 100.0f, 0.0f },
        { "pm:spread", "Linfms", -huge, -4.0f },
        { "pm:spread", "-inf", -huge, -4.0f },
        { "pm:spread", "nanms", 0.0f, 0.0f },
        { "global:outputGain", "-infdB", -huge, -24.0f },
        { "global:outputGain", "inf", huge, 24.0f },
        { "global:outputGain", "NaNdB", 0.0f, 0.0f },
        { "global:mix", "inf%", huge / 100.0f, 1.0f },
        { "global:mix", "nan%", 0.0f, 0.0f },
        { "global:mix", "-1e999", -huge / 100.0f, 0.0f },
        { "crossover:bypass", "inf", huge, 1.0f },
        { "crossover:band", "nan", 0.0f, 0.0f },
        { "saturator:drive", "1e999", huge, 36.0f },
        { "saturator:drive", "-inf", -huge, 0.0f },
        { "pm:composite", "nan", 0.0f, 0.0f },
        { "global:agc", "-1e999", -huge, 0.0f },
        { "saturator:type", "nan", 0.0f, 0.0f },
        { "saturator:type", "inf", 0.0f, 0.0f },
        // Exponents too long for the framework's reader to gather without overflow.
        { "saturator:drive", "1e39099999999", huge, 36.0f },
        { "global:outputGain", "-2e+0000012345678901dB", -huge, -24.0f },
        { "saturator:tone", "3e-99999999999B", 0.5f, 0.5f },
        { "pm:composite", "2.5e-00001", 0.25f, 0.25f },
    };

    for (const auto& c : cases)
    {
        BrazzleAudioProcessor processor;
        auto& p = parameter (processor, c.id);
        const auto& range = p.getNormalisableRange();
        SCOPED_TRACE (juce::String (c.id) + " <- \"" + c.text + "\"");

        EXPECT_EQ (valueOf (c.id, c.text), c.converted);
        EXPECT_EQ (PluginParameters::textToPlainValue (c.id, c.text), c.converted);

        const auto normalised = p.getValueForText (c.text);
        EXPECT_TRUE (normalised >= 0.0f && normalised <= 1.0f) << normalised;

        p.setValueNotifyingHost (normalised);
        EXPECT_EQ (*processor.getParameterTree().getRawParameterValue (c.id),
                   range.snapToLegalValue (c.stored));
        EXPECT_NEAR (*processor.getParameterTree().getRawParameterValue (c.id), c.stored, 1.0e-6f);
    }
}

TEST (ParameterSet, DisplayedTextTypedBackGivesTheValueItStandsFor)
{
    BrazzleAudioProcessor processor;

    for (const auto* id : { "saturator:tone", "pm:spread", "global:outputGain", "global:mix", "saturator:type" })
    {
        auto& p = parameter (processor, id);

        for (int i = 0; i <= 20; ++i)
        {
            const float normalised = static_cast<float> (i) / 20.0f;
            const float plain = p.getNormalisableRange().snapToLegalValue (p.convertFrom0to1 (normalised));
            const auto text = p.getText (p.convertTo0to1 (plain), 100);
            EXPECT_EQ (p.getText (p.getValueForText (text), 100), text) << id << " " << text;
        }
    }
}
} // namespace
