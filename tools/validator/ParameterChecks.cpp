#include "ParameterChecks.h"

#include "ParameterTable.h"

#include <cmath>

namespace brazzle::validator
{
namespace
{
juce::String randomTypedText (juce::Random& random)
{
    static const char* const fragments[] = {
        "", " ", "-", "+", "0", "1", "12", "-6", "0.5", "1e3", "-1e-3", "1e39", "-1e39", "nan", "inf", "-inf",
        "dB", "Hz", "kHz", "ms", "%", "B", "W", "L", "R", "C", "LR", "TAPE", "tube", "Foldback", "PASS", "log",
        "crossover", "\xc3\xa9", "\xe2\x82\xac", "..", "--", "0x1f", "12,5", "\t", "999999999999999999999",
    };
    constexpr int numFragments = static_cast<int> (std::size (fragments));

    juce::String text;

    switch (random.nextInt (4))
    {
        case 0:
            text << juce::String (random.nextDouble() * 40000.0 - 20000.0, random.nextInt (6));
            text << fragments[random.nextInt (numFragments)];
            break;

        case 1:
            for (int i = random.nextInt (5); i >= 0; --i)
                text << juce::String::fromUTF8 (fragments[random.nextInt (numFragments)]);
            break;

        case 2:
            for (int i = random.nextInt (24); i > 0; --i)
                text << static_cast<juce::juce_wchar> (1 + random.nextInt (0x7e));
            break;

        default:
            for (int i = random.nextInt (12); i > 0; --i)
                text << static_cast<juce::juce_wchar> (0x20 + random.nextInt (0x2fff));
            break;
    }

    return text;
}
} // namespace

void ParameterChecks::run()
{
    auto plugin = ctx.load ("parameters", 48000.0, 512);

    if (plugin == nullptr)
        return;

    const auto parameters = ctx.parametersOf (*plugin);
    const bool allFound = ! parameters.contains (nullptr);
    ctx.expect (allFound, "parameters",
                allFound ? juce::String ("all eleven found by their identifiers")
                         : "missing: " + juce::String (parameterTable[(size_t) parameters.indexOf (nullptr)].id));

    if (! allFound)
        return;

    checkTextRoundTrip (*plugin);
    checkTypedText (*plugin);
}

void ParameterChecks::checkTextRoundTrip (juce::AudioPluginInstance& plugin)
{
    const auto parameters = ctx.parametersOf (plugin);
    auto random = ctx.randomFor ("text round trip");
    const int valuesPerParameter = ctx.getOptions().quick ? 40 : 400;

    for (size_t i = 0; i < parameterTable.size(); ++i)
    {
        const auto& spec = parameterTable[i];
        auto* p = parameters[static_cast<int> (i)];

        // A text shows a value to its step or to a fixed number of decimals, so the
        // way back may land up to one step (or 0.01 of the range) away.
        const float tolerance = juce::jmax (0.01f, spec.normalisedStep()) + 1.0e-5f;
        float worst = 0.0f;
        juce::String worstCase;

        for (int n = 0; n < valuesPerParameter; ++n)
        {
            const float value = n == 0 ? 0.0f : (n == 1 ? 1.0f : (n == 2 ? p->getDefaultValue() : random.nextFloat()));
            const auto text = p->getText (value, 1024);
            const float back = p->getValueForText (text);
            const float error = std::isfinite (back) ? std::abs (back - value) : 1.0e9f;

            if (error > worst || worstCase.isEmpty())
            {
                worst = error;
                worstCase = juce::String (value, 6) + " -> \"" + text + "\" -> " + juce::String (back, 6);
            }
        }

        ctx.expect (worst <= tolerance, juce::String ("text round trip ") + spec.id,
                    juce::String (valuesPerParameter) + " values, largest difference " + juce::String (worst, 6) + " (allowed "
                        + juce::String (tolerance, 4) + "), at " + worstCase);
    }
}

void ParameterChecks::checkTypedText (juce::AudioPluginInstance& plugin)
{
    const auto parameters = ctx.parametersOf (plugin);
    auto random = ctx.randomFor ("typed text");
    const int textsPerParameter = ctx.getOptions().quick ? 200 : 2000;

    for (size_t i = 0; i < parameterTable.size(); ++i)
    {
        auto* p = parameters[static_cast<int> (i)];
        int bad = 0, hostNaNs = 0;
        juce::String firstBad;

        for (int n = 0; n < textsPerParameter; ++n)
        {
            const auto text = randomTypedText (random);
            const float value = p->getValueForText (text);

            // LV2 carries no text conversion: JUCE's LV2 host reads typed text itself, and
            // its reading of "nan" is its own affair, not the plug-in's.
            if (std::isnan (value) && ctx.getKind() == tools::PluginKind::lv2)
            {
                ++hostNaNs;
                continue;
            }

            // The host also shows what it got, so the text of the value must be sane too.
            const auto shown = p->getText (std::isfinite (value) ? juce::jlimit (0.0f, 1.0f, value) : 0.0f, 1024);

            if (! std::isfinite (value) || value < 0.0f || value > 1.0f || shown.isEmpty())
                if (bad++ == 0)
                    firstBad = "\"" + text + "\" -> " + juce::String (value) + " \"" + shown + "\"";
        }

        // Random values set through the host, with their texts read back.
        for (int n = 0; n < textsPerParameter / 4; ++n)
        {
            const float value = random.nextFloat();
            p->setValue (value);

            if (p->getText (p->getValue(), 1024).isEmpty() || ! std::isfinite (p->getValue()))
                if (bad++ == 0)
                    firstBad = "value " + juce::String (value) + " shows no text";
        }

        ValidationContext::settle (plugin, 512);

        ctx.expect (bad == 0, juce::String ("typed text ") + parameterTable[i].id,
                    juce::String (textsPerParameter) + " random texts and " + juce::String (textsPerParameter / 4)
                        + " random values" + (bad == 0 ? juce::String (", all in [0, 1]") : ", " + juce::String (bad) + " bad, first " + firstBad)
                        + (hostNaNs == 0 ? juce::String() : "; " + juce::String (hostNaNs) + " NaN from the LV2 host's own reading of the text"));
    }
}
} // namespace brazzle::validator
