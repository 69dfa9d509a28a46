#include "PluginParameters.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace
{
using Parameter = juce::AudioProcessorValueTreeState::Parameter;
using Attributes = juce::AudioProcessorValueTreeStateParameterAttributes;

// "%g": general notation, at most six significant digits, no trailing zeros.
juce::String generalNumber (double value)
{
    char text[32];
    std::snprintf (text, sizeof (text), "%g", value);
    return juce::String (text);
}

// The framework's number reading gathers an exponent's digits in an int, which
// overflows on text such as "1e9999999999". An exponent of more than four significant
// digits means zero or infinity either way, so it is read as 9999.
juce::String withBoundedExponents (const juce::String& text)
{
    const auto utf8 = text.toStdString();
    std::string bounded;
    bounded.reserve (utf8.size());

    for (size_t i = 0; i < utf8.size();)
    {
        const char c = utf8[i++];
        bounded += c;

        if (c != 'e' && c != 'E')
            continue;

        if (i < utf8.size() && (utf8[i] == '+' || utf8[i] == '-'))
            bounded += utf8[i++];

        const auto start = i;

        while (i < utf8.size() && utf8[i] == '0')
            ++i;

        const auto significant = i;

        while (i < utf8.size() && utf8[i] >= '0' && utf8[i] <= '9')
            ++i;

        if (i - significant > 4)
            bounded += "9999";
        else
            bounded.append (utf8, start, i - start);
    }

    return juce::String::fromUTF8 (bounded.data(), static_cast<int> (bounded.size()));
}

// The framework's number reading also accepts "nan", "inf" and numbers beyond any float,
// which a host would store as the parameter's value. Infinity and overflow are read as
// the largest float of their sign, so that the range takes them to its nearer end as it
// does any large number ("-inf" dB is the lowest gain, "1e999" the top of the range);
// NaN names no number at all and reads as 0, like any other text that is not a number.
float readNumber (const juce::String& text)
{
    const double value = withBoundedExponents (text).getDoubleValue();

    if (std::isnan (value))
        return 0.0f;

    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float> (juce::jlimit (-largest, largest, value));
}

bool endsWith (const juce::String& text, juce::juce_wchar c)
{
    return text.isNotEmpty() && text.getLastCharacter() == c;
}

void add (juce::AudioProcessorValueTreeState& parameters,
          const char* id,
          const char* name,
          juce::NormalisableRange<float> range,
          float defaultValue,
          juce::String (*toText) (float),
          float (*fromText) (const juce::String&),
          bool automatable = true,
          bool discrete = false)
{
    auto attributes = Attributes().withLabel ({})
                          .withMeta (false)
                          .withAutomatable (automatable)
                          .withDiscrete (discrete)
                          .withBoolean (false)
                          .withCategory (juce::AudioProcessorParameter::genericParameter);

    if (toText != nullptr)
        attributes = attributes.withStringFromValueFunction ([toText] (float v, int) { return toText (v); });

    if (fromText != nullptr)
        attributes = attributes.withValueFromStringFunction ([fromText] (const juce::String& t) { return fromText (t); });

    parameters.createAndAddParameter (std::make_unique<Parameter> (juce::ParameterID { id, 1 },
                                                                   name,
                                                                   range,
                                                                   defaultValue,
                                                                   attributes));
}
} // namespace

void PluginParameters::attachParameters (juce::AudioProcessorValueTreeState& parameters)
{
    using Range = juce::NormalisableRange<float>;

    add (parameters, crossoverBypass, "Crossover Bypass", Range (0.0f, 1.0f, 1.0f), 0.0f, nullptr, readNumber);
    add (parameters, crossoverCutoff, "Crossover Cutoff", Range (200.0f, 16000.0f, 1.0f), 1800.0f,
         cutoffToText, textToCutoff, false);
    add (parameters, crossoverBand, "Target Band", Range (0.0f, 1.0f, 1.0f), 0.0f, nullptr, readNumber);
    add (parameters, saturatorTone, "Tone", Range (0.0f, 1.0f, 0.001f), 0.5f, toneToText, textToTone);
    add (parameters, saturatorType, "Curve Shape", Range (0.0f, 5.0f, 1.0f), 0.0f,
         curveToText, textToCurve, true, true);
    add (parameters, saturatorDrive, "Drive Amount", Range (0.0f, 36.0f, 0.1f), 0.0f, nullptr, readNumber);
    add (parameters, pmComposite, "Phase Amount", Range (0.0f, 1.0f, 0.001f), 0.0f, nullptr, readNumber);
    add (parameters, pmSpread, "Spread", Range (-4.0f, 4.0f, 0.001f), 0.0f, spreadToText, textToSpread);
    add (parameters, globalAgc, "Auto Gain Compensation", Range (0.0f, 1.0f, 1.0f), 0.0f, nullptr, readNumber);
    add (parameters, globalOutputGain, "Output Gain", Range (-24.0f, 24.0f, 0.01f), 0.0f, gainToText, textToGain);
    add (parameters, globalMix, "Output Mix", Range (0.0f, 1.0f, 0.001f), 1.0f, mixToText, textToMix);
}

float PluginParameters::textToPlainValue (const juce::String& parameterId, const juce::String& text)
{
    if (parameterId == crossoverCutoff)
        return textToCutoff (text);
    if (parameterId == saturatorTone)
        return textToTone (text);
    if (parameterId == saturatorType)
        return textToCurve (text);
    if (parameterId == pmSpread)
        return textToSpread (text);
    if (parameterId == globalOutputGain)
        return textToGain (text);
    if (parameterId == globalMix)
        return textToMix (text);

    return readNumber (text);
}

juce::String PluginParameters::cutoffToText (float value)
{
    return generalNumber (std::floor (value)) + "Hz";
}

float PluginParameters::textToCutoff (const juce::String& text)
{
    return readNumber (text.trimCharactersAtEnd ("Hz"));
}

juce::String PluginParameters::toneToText (float value)
{
    const float hundredths = 100.0f * value;
    const int distance = std::abs (50 - static_cast<int> (hundredths));
    return juce::String (distance) + (value > 0.5f ? "B" : "W");
}

float PluginParameters::textToTone (const juce::String& text)
{
    const float n = readNumber (text.trimCharactersAtEnd ("WB"));

    if (endsWith (text, 'B'))
        return (50.0f + n) / 100.0f;

    if (endsWith (text, 'W'))
        return (50.0f - n) / 100.0f;

    return n / 100.0f;
}

juce::String PluginParameters::curveToText (float value)
{
    static constexpr const char* names[] = { "TAPE", "TUBE", "CROSSOVER", "LOG", "FOLDBACK" };
    const int index = static_cast<int> (value) - 1;
    return juce::isPositiveAndBelow (index, 5) ? names[index] : "PASS";
}

float PluginParameters::textToCurve (const juce::String& text)
{
    static constexpr const char* names[] = { "Foldback", "Log", "Crossover", "Tube", "Tape" };

    for (int i = 0; i < 5; ++i)
        if (text.equalsIgnoreCase (names[i]))
            return static_cast<float> (5 - i);

    return 0.0f;
}

juce::String PluginParameters::spreadToText (float value)
{
    if (std::abs (value) < 0.05f)
        return "C0.0ms";

    return juce::String (value < 0.0f ? "L" : "R") + juce::String (std::abs (value), 1) + "ms";
}

float PluginParameters::textToSpread (const juce::String& text)
{
    const float magnitude = readNumber (text.trimCharactersAtStart ("LRC").trimCharactersAtEnd ("ms"));
    return text.startsWithChar ('L') ? -magnitude : magnitude;
}

juce::String PluginParameters::gainToText (float value)
{
    if (std::abs (value) < 0.05f)
        return "0.0dB";

    return juce::String (value, 1) + "dB";
}

float PluginParameters::textToGain (const juce::String& text)
{
    return readNumber (text.trimCharactersAtEnd ("dB"));
}

juce::String PluginParameters::mixToText (float value)
{
    const float percent = 100.0f * value;
    return generalNumber (percent) + "%";
}

float PluginParameters::textToMix (const juce::String& text)
{
    return readNumber (text.trimCharactersAtEnd ("%")) / 100.0f;
}
