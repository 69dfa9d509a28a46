#include "DemoPhrase.h"

#include <cmath>

namespace brazzle::tools
{
namespace
{
constexpr double twoPi = juce::MathConstants<double>::twoPi;

double midiToHz (int note)
{
    return 440.0 * std::pow (2.0, (note - 69) / 12.0);
}

// Adds one sound, shaped by its own envelope, into both channels with a pan.
template <typename Voice>
void addSound (juce::AudioBuffer<float>& out, double sampleRate, double startSeconds, double lengthSeconds,
               float gain, float pan, Voice&& voice)
{
    const int start = static_cast<int> (startSeconds * sampleRate);
    const int length = static_cast<int> (lengthSeconds * sampleRate);
    // Constant power, unity in both channels at the centre.
    const float left = gain * std::sqrt (2.0f * (1.0f - pan));
    const float right = gain * std::sqrt (2.0f * pan);

    for (int n = 0; n < length && start + n < out.getNumSamples(); ++n)
    {
        const float sample = voice (n / sampleRate);
        out.addSample (0, start + n, sample * left);
        out.addSample (1, start + n, sample * right);
    }
}
} // namespace

juce::AudioBuffer<float> makeDemoPhrase (double sampleRate)
{
    constexpr double beat = 0.5; // 120 beats per minute
    constexpr int bars = 4;
    const int length = static_cast<int> ((bars * 4 * beat + 1.0) * sampleRate);

    juce::AudioBuffer<float> out (2, length);
    out.clear();
    juce::Random random (20261211);

    const int roots[bars] = { 45, 41, 36, 43 }; // A, F, C, G
    const int chordIntervals[bars][3] = { { 0, 3, 7 }, { 0, 4, 7 }, { 0, 4, 7 }, { 0, 4, 7 } };

    for (int bar = 0; bar < bars; ++bar)
    {
        const double barStart = bar * 4 * beat;

        // Chords: three soft partials per note, swelling in over the bar.
        for (int voice = 0; voice < 3; ++voice)
        {
            const double f = midiToHz (roots[bar] + 24 + chordIntervals[bar][voice]);
            addSound (out, sampleRate, barStart, 4 * beat, 0.06f, 0.3f + 0.2f * voice, [f] (double t)
            {
                const double envelope = std::min (1.0, t / 0.25) * std::exp (-t * 0.6);
                return static_cast<float> (envelope * (std::sin (twoPi * f * t) + 0.3 * std::sin (twoPi * 2 * f * t)
                                                       + 0.1 * std::sin (twoPi * 3 * f * t)));
            });
        }

        for (int eighth = 0; eighth < 8; ++eighth)
        {
            const double t0 = barStart + eighth * beat * 0.5;

            // Bass: a band-limited saw, one octave jump on the off-beats.
            const double f = midiToHz (roots[bar] - 12 + (eighth % 2 == 1 ? 12 : 0));
            addSound (out, sampleRate, t0, beat * 0.45, 0.25f, 0.5f, [f] (double t)
            {
                double saw = 0.0;
                for (int k = 1; k <= 8; ++k)
                    saw += std::sin (twoPi * k * f * t) / k;
                return static_cast<float> (saw * 0.6 * std::min (1.0, t / 0.005) * std::exp (-t * 5.0));
            });

            // Hats on every eighth, a little to the right.
            addSound (out, sampleRate, t0, 0.06, eighth % 2 == 0 ? 0.08f : 0.05f, 0.65f,
                      [&random, previous = 0.0f] (double t) mutable
                      {
                          const float noise = random.nextFloat() * 2.0f - 1.0f;
                          const float bright = noise - previous;
                          previous = noise;
                          return bright * static_cast<float> (std::exp (-t * 60.0));
                      });
        }

        for (int quarter = 0; quarter < 4; ++quarter)
        {
            const double t0 = barStart + quarter * beat;

            if (quarter % 2 == 0)
            {
                // Kick: a falling sine with a click.
                addSound (out, sampleRate, t0, 0.4, 0.6f, 0.5f, [] (double t)
                {
                    const double phase = twoPi * (45.0 * t + (120.0 / 25.0) * (1.0 - std::exp (-25.0 * t)));
                    return static_cast<float> (std::sin (phase) * std::exp (-t * 7.0));
                });
            }
            else
            {
                // Snare: noise over a short tone.
                addSound (out, sampleRate, t0, 0.25, 0.35f, 0.45f, [&random] (double t)
                {
                    const float noise = random.nextFloat() * 2.0f - 1.0f;
                    return static_cast<float> ((0.7 * noise + 0.5 * std::sin (twoPi * 185.0 * t)) * std::exp (-t * 18.0));
                });
            }
        }
    }

    return out;
}
} // namespace brazzle::tools
