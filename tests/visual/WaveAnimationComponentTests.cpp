#include "BrazzleAudioProcessor.h"
#include "BrazzleLookAndFeel.h"
#include "VisualTestHelpers.h"
#include "WaveAnimationComponent.h"
#include "dsp/WaveShaperHelpers.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <cmath>

using visualtest::leftButton;
using visualtest::mouseEventAt;

namespace
{
using Shaper = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>;

constexpr float increments[] = { 0.12537876f, 0.06268938f, 0.03134469f };

DisplayValues settings (int curve, float drive, float mix)
{
    DisplayValues v;
    v.crossoverCutoff = 1800.0f;
    v.crossoverBand = 0;
    v.curveType = curve;
    v.tone = 0.5f;
    v.driveGain = drive;
    v.phaseAmount = 3.0f;
    v.phaseDelay = 0.5f;
    v.spread = 0.0f;
    v.inputLevel = 0.3f;
    v.outputGain = 1.0f;
    v.mix = mix;
    return v;
}

/** Paints frames of a fresh component with the given values; returns the last picture. */
juce::Image paintFrames (const DisplayValues& values, int width, int height, int frames,
                         juce::LookAndFeel* lookAndFeel = nullptr)
{
    WaveAnimationComponent waves;
    waves.setLookAndFeel (lookAndFeel);
    waves.setSize (width, height);
    waves.storeDisplayValues (values);

    juce::Image image;

    for (int i = 0; i < frames; ++i)
    {
        image = juce::Image (juce::Image::ARGB, juce::jmax (width, 1), height, true);
        juce::Graphics g (image);
        waves.paint (g);
    }

    waves.setLookAndFeel (nullptr);
    return image;
}

juce::Image paintFirstFrame (const DisplayValues& values, int width = 160, int height = 90,
                             juce::LookAndFeel* lookAndFeel = nullptr)
{
    return paintFrames (values, width, height, 1, lookAndFeel);
}

juce::Image backgroundPicture (int width, int height, juce::Colour background)
{
    juce::Image image (juce::Image::ARGB, width, height, true);
    juce::Graphics g (image);
    g.fillAll (background);
    g.drawImage (juce::ImageCache::getFromMemory (BinaryData::wave_grid_png, BinaryData::wave_grid_pngSize),
                 juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (width), static_cast<float> (height)));
    return image;
}

/** One frame drawn step by step as the picture is described, from the waves' phases
    before this frame's drift and the display gain it uses, at a display scale.
*/
juce::Image referenceFrame (const DisplayValues& v, int w, int h, const float (&phases)[3], float L,
                            float scale = 1.0f,
                            juce::Colour background = juce::Colours::black,
                            juce::Colour foreground = juce::Colours::white)
{
    const Shaper::Curve curves[] = { Shaper::identity, Shaper::tapeSaturate, Shaper::tubeSaturate,
                                     Shaper::crossoverSaturate, Shaper::logSaturate, Shaper::sinFoldback };
    const auto curve = curves[v.curveType];
    const float D = v.curveType == 0 ? 1.0f : v.driveGain;

    const float G = v.outputGain > 0.0f ? std::max (20.0f * std::log10 (v.outputGain), -100.0f) : -100.0f;

    const float t = (2.0f * v.tone - 1.0f) * 0.14f;
    const float c = (2.0f * v.crossoverCutoff / 16000.0f - 1.0f) * 0.14f * static_cast<float> (2 * v.crossoverBand - 1);
    const float alphas[] = { 0.6f + t - c, 0.6f, 0.6f - t - c };

    juce::Image image (juce::Image::ARGB, juce::roundToInt (static_cast<float> (w) * scale),
                       juce::roundToInt (static_cast<float> (h) * scale), true);
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale (scale));
    g.fillAll (background);
    g.drawImage (juce::ImageCache::getFromMemory (BinaryData::wave_grid_png, BinaryData::wave_grid_pngSize),
                 juce::Rectangle<float> (0.0f, 0.0f, static_cast<float> (w), static_cast<float> (h)));

    const float H = static_cast<float> (h) / 2.0f;
    const float A = (G + 36.0f) / 24.0f * L;
    const float k = v.phaseAmount * 0.12f;
    const float e = v.phaseDelay * 0.25f * 0.8f;
    const float pi = juce::MathConstants<float>::pi;

    for (int i = 0; i < 3; ++i)
    {
        const float phase = static_cast<float> (static_cast<double> (phases[i])
                                                - 0.5 * static_cast<double> (increments[i]) * static_cast<double> (v.spread));
        const float amplitude = 0.72f;
        juce::Path path;

        for (int x = 0; x < w; ++x)
        {
            const float u = static_cast<float> (x) / static_cast<float> (w);
            const float W = u < 0.25f   ? (1.0f - std::cos (4.0f * pi * u)) / 2.0f
                            : u > 0.75f ? 1.0f - (1.0f - std::cos (4.0f * pi * (u - 0.75f))) / 2.0f
                                        : 1.0f;
            const float theta = increments[i] * static_cast<float> (x) + phase;
            const float s = std::sin (theta + k * std::sin (theta - 0.14f - e));
            const float y = curve (s * D * amplitude);
            const float py = H + H * A * W * (v.mix * y + (1.0f - v.mix) * amplitude * std::sin (theta));

            if (x == 0)
                path.startNewSubPath (0.0f, py);
            else
                path.lineTo (static_cast<float> (x), py);
        }

        const auto alphaByte = alphas[i] <= 0.0f ? 0 : alphas[i] >= 1.0f ? 255 : static_cast<int> (alphas[i] * 255.996f);
        juce::ColourGradient gradient (foreground.withAlpha (static_cast<juce::uint8> (0)), 0.0f, 0.0f,
                                       foreground.withAlpha (static_cast<juce::uint8> (0)), static_cast<float> (w), 0.0f, false);
        gradient.addColour (0.5, foreground.withAlpha (static_cast<juce::uint8> (alphaByte)));
        g.setGradientFill (gradient);
        g.strokePath (path, juce::PathStrokeType (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt));
    }

    return image;
}

/** The first frame of a fresh display: the display gain is a third of the way from 0 to
    its target, and the phases start at 0 before the spread drift.
*/
juce::Image referenceFirstFrame (const DisplayValues& v, int w, int h,
                                 juce::Colour background = juce::Colours::black,
                                 juce::Colour foreground = juce::Colours::white)
{
    const float target = v.inputLevel < 0.0f ? 0.25f : 2.0f * std::min (1.0f, v.inputLevel) + 0.25f;
    const float startingPhases[] = { 0.0f, 0.0f, 0.0f };
    return referenceFrame (v, w, h, startingPhases, (target - 0.0f) / 3.0f, 1.0f, background, foreground);
}

int differingPixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getBounds() != b.getBounds())
        return a.getWidth() * a.getHeight() + 1;

    int n = 0;

    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                ++n;

    return n;
}

float advancedPhase (float phase, float increment, float spread)
{
    phase = static_cast<float> (static_cast<double> (phase) - 0.5 * static_cast<double> (increment) * static_cast<double> (spread));
    return static_cast<float> (static_cast<double> (phase) + 0.0333);
}
} // namespace

TEST (WaveAnimationPicture, DrawsTheWavesAsDescribed)
{
    auto silentStart = DisplayValues();

    auto loudTilted = settings (2, 4.0f, 0.5f);
    loudTilted.tone = 0.9f;
    loudTilted.crossoverCutoff = 12000.0f;
    loudTilted.crossoverBand = 1;
    loudTilted.inputLevel = 3.0f;
    loudTilted.outputGain = 0.5f;

    auto drifting = settings (5, 2.5f, 1.0f);
    drifting.spread = -3.0f;
    drifting.phaseAmount = 6.0f;
    drifting.phaseDelay = 2.0f;
    drifting.inputLevel = -1.0f;

    const struct { const char* name; DisplayValues values; int width, height; } cases[] = {
        { "nothing published yet: upside-down plain sines", silentStart, 160, 90 },
        { "plain sines", settings (3, 8.0f, 0.0f), 160, 90 },
        { "shaped only", settings (1, 3.0f, 1.0f), 160, 90 },
        { "half and half, loud, tilted", loudTilted, 379, 120 },
        { "folded and drifting", drifting, 97, 61 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (differingPixels (paintFirstFrame (c.values, c.width, c.height),
                                    referenceFirstFrame (c.values, c.width, c.height)), 0);
    }
}

TEST (WaveAnimationPicture, StretchesTheGridAfreshForEverySizeAndWholeDisplayScale)
{
    const struct { int width, height; float scale; } frames[] = {
        { 160, 90, 1.0f },
        { 160, 90, 1.0f },
        { 160, 90, 2.0f },
        { 97, 61, 2.0f },
        { 379, 241, 1.0f },
        { 97, 61, 1.0f },
        { 97, 61, 3.0f },
    };

    BrazzleLookAndFeel skin;
    skin.applySkin (true);
    WaveAnimationComponent waves;
    waves.setLookAndFeel (&skin);
    auto values = settings (2, 3.0f, 0.5f);
    values.spread = 1.5f;
    waves.storeDisplayValues (values);

    for (const auto& f : frames)
    {
        SCOPED_TRACE (juce::String (f.width) + " x " + juce::String (f.height) + " at " + juce::String (f.scale));
        waves.setSize (f.width, f.height);

        const float phases[] = { waves.waves[0].phase, waves.waves[1].phase, waves.waves[2].phase };
        auto smoother = waves.levelSmoother;
        smoother.setTargetValue (2.0f * values.inputLevel + 0.25f);
        const auto reference = referenceFrame (values, f.width, f.height, phases, smoother.getNextValue(), f.scale,
                                               skin.backgroundColour, skin.foregroundColour);

        juce::Image image (juce::Image::ARGB, reference.getWidth(), reference.getHeight(), true);
        {
            juce::Graphics g (image);
            g.addTransform (juce::AffineTransform::scale (f.scale));
            waves.paint (g);
        }

        EXPECT_EQ (differingPixels (image, reference), 0);
    }

    waves.setLookAndFeel (nullptr);
}

TEST (WaveAnimationPicture, TakesItsColoursFromTheSkin)
{
    BrazzleLookAndFeel skin;
    skin.applySkin (true);
    const auto values = settings (4, 2.0f, 0.7f);

    EXPECT_EQ (differingPixels (paintFirstFrame (values, 160, 90, &skin),
                                referenceFirstFrame (values, 160, 90, skin.backgroundColour, skin.foregroundColour)), 0);
    EXPECT_GT (differingPixels (paintFirstFrame (values, 160, 90, &skin), paintFirstFrame (values, 160, 90)), 0);
}

TEST (WaveAnimationPicture, WithoutMixTheCurveDoesNotMatterAndWithFullMixItDoes)
{
    for (int frames : { 1, 4 })
    {
        SCOPED_TRACE (frames);
        const auto plain = paintFrames (settings (0, 6.0f, 0.0f), 160, 90, frames);

        for (int curve = 1; curve < 6; ++curve)
        {
            SCOPED_TRACE (curve);
            EXPECT_EQ (differingPixels (paintFrames (settings (curve, 6.0f, 0.0f), 160, 90, frames), plain), 0);
            EXPECT_GT (differingPixels (paintFrames (settings (curve, 6.0f, 1.0f), 160, 90, frames),
                                        paintFrames (settings (0, 6.0f, 1.0f), 160, 90, frames)), 100);
        }
    }
}

TEST (WaveAnimationPicture, TheIdentityCurveIgnoresTheDrive)
{
    const auto unity = paintFirstFrame (settings (0, 1.0f, 1.0f));

    for (float drive : { 0.0f, 0.5f, 4.0f, 63.0f })
    {
        SCOPED_TRACE (drive);
        EXPECT_EQ (differingPixels (paintFirstFrame (settings (0, drive, 1.0f)), unity), 0);
        EXPECT_GT (differingPixels (paintFirstFrame (settings (1, drive, 1.0f)),
                                    paintFirstFrame (settings (1, 1.0f, 1.0f))), 0);
    }
}

TEST (WaveAnimationPicture, FadesToTheBackgroundAtTheLeftEdge)
{
    const auto picture = paintFirstFrame (settings (1, 2.0f, 1.0f), 160, 90);
    const auto background = backgroundPicture (160, 90, juce::Colours::black);

    int differingInTheMiddle = 0;

    for (int y = 0; y < 90; ++y)
    {
        EXPECT_EQ (picture.getPixelAt (0, y), background.getPixelAt (0, y)) << y;
        differingInTheMiddle += picture.getPixelAt (80, y) != background.getPixelAt (80, y) ? 1 : 0;
    }

    EXPECT_GE (differingInTheMiddle, 3);
}

TEST (WaveAnimationFrame, SetsOpacitiesFromToneAndCrossover)
{
    const struct { float tone, cutoff; int band; float alpha0, alpha2; } cases[] = {
        { 0.5f, 8000.0f, 0, 0.6f, 0.6f },
        { 1.0f, 16000.0f, 1, 0.6f, 0.32f },
        { 0.75f, 8000.0f, 1, 0.67f, 0.53f },
        { 0.5f, 16000.0f, 0, 0.74f, 0.74f },
        { 0.0f, 200.0f, 1, 0.5965f, 0.8765f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.tone) + ", " + juce::String (c.cutoff) + ", " + juce::String (c.band));
        WaveAnimationComponent waves;
        waves.setSize (50, 20);
        auto values = settings (1, 1.0f, 1.0f);
        values.tone = c.tone;
        values.crossoverCutoff = c.cutoff;
        values.crossoverBand = c.band;
        waves.storeDisplayValues (values);

        EXPECT_EQ (waves.waves[0].alpha, 0.72f);

        juce::Image image (juce::Image::ARGB, 50, 20, true);
        juce::Graphics g (image);
        waves.paint (g);

        EXPECT_FLOAT_EQ (waves.waves[0].alpha, c.alpha0);
        EXPECT_FLOAT_EQ (waves.waves[1].alpha, 0.6f);
        EXPECT_FLOAT_EQ (waves.waves[2].alpha, c.alpha2);
    }
}

TEST (WaveAnimationFrame, EasesTheDisplayGainOverThreePaints)
{
    const struct { float inputLevel, target; } cases[] = {
        { -1.0f, 0.25f },
        { 0.0f, 0.25f },
        { 0.5f, 1.25f },
        { 1.0f, 2.25f },
        { 7.0f, 2.25f },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.inputLevel);
        WaveAnimationComponent waves;
        waves.setSize (20, 20);
        auto values = settings (0, 1.0f, 0.0f);
        values.inputLevel = c.inputLevel;
        waves.storeDisplayValues (values);

        juce::Image image (juce::Image::ARGB, 20, 20, true);
        juce::Graphics g (image);
        const float expected[] = { c.target / 3.0f, 2.0f * c.target / 3.0f, c.target, c.target };

        for (float e : expected)
        {
            waves.paint (g);
            EXPECT_FLOAT_EQ (waves.levelSmoother.getCurrentValue(), e);
        }
    }
}

TEST (WaveAnimationFrame, AZeroWidthDisplayDrawsOnlyTheBackgroundWhileThePhasesMoveOn)
{
    BrazzleLookAndFeel skin;

    for (float spread : { 0.0f, 2.0f, -4.0f })
    {
        SCOPED_TRACE (spread);
        WaveAnimationComponent waves;
        waves.setLookAndFeel (&skin);
        waves.setSize (0, 40);
        auto values = settings (2, 3.0f, 0.5f);
        values.spread = spread;
        waves.storeDisplayValues (values);

        float expected[] = { 0.0f, 0.0f, 0.0f };

        for (int frame = 0; frame < 5; ++frame)
        {
            juce::Image image (juce::Image::ARGB, 10, 40, true);
            juce::Graphics g (image);
            waves.paint (g);

            for (int i = 0; i < 3; ++i)
            {
                expected[i] = advancedPhase (expected[i], increments[i], spread);
                EXPECT_EQ (waves.waves[(size_t) i].phase, expected[i]) << "frame " << frame << ", wave " << i;
            }

            for (int y = 0; y < 40; y += 7)
                for (int x = 0; x < 10; x += 3)
                    ASSERT_EQ (image.getPixelAt (x, y), skin.backgroundColour) << x << ", " << y;
        }

        waves.setLookAndFeel (nullptr);
    }
}

TEST (WaveAnimationFrame, ACurveOutsideTheSixEndsThePaintQuietly)
{
    for (int curve : { -1, 6, 1000 })
    {
        SCOPED_TRACE (curve);
        WaveAnimationComponent waves;
        waves.setSize (40, 30);
        auto values = settings (curve, 2.0f, 1.0f);
        values.spread = 1.0f;
        waves.storeDisplayValues (values);

        juce::Image image (juce::Image::ARGB, 40, 30, true);
        juce::Graphics g (image);
        g.fillAll (juce::Colours::magenta);
        waves.paint (g);

        EXPECT_EQ (image.getPixelAt (0, 0), juce::Colours::magenta);
        EXPECT_EQ (image.getPixelAt (20, 15), juce::Colours::magenta);
        EXPECT_EQ (image.getPixelAt (39, 29), juce::Colours::magenta);

        for (const auto& wave : waves.waves)
            EXPECT_EQ (wave.phase, 0.0f);

        waves.curveType.store (3);
        waves.paint (g);
        EXPECT_NE (image.getPixelAt (20, 15), juce::Colours::magenta);
        EXPECT_EQ (waves.waves[0].phase, advancedPhase (0.0f, increments[0], 1.0f));
    }
}

TEST (WaveAnimationClick, SixClicksStepTheCurveBackToWhereItStarted)
{
    BrazzleAudioProcessor processor;
    auto& curve = *processor.getParameterTree().getParameter ("saturator:type");

    for (float start : { 0.0f, 3.0f, 5.0f })
    {
        SCOPED_TRACE (start);
        curve.setValueNotifyingHost (curve.convertTo0to1 (start));

        WaveAnimationComponent waves;
        waves.setSize (100, 50);

        std::vector<float> seen;
        waves.onClick = [&]
        {
            const auto next = static_cast<float> ((static_cast<int> (curve.convertFrom0to1 (curve.getValue())) + 1) % 6);
            curve.setValueNotifyingHost (curve.convertTo0to1 (next));
            seen.push_back (next);
        };

        for (int click = 0; click < 6; ++click)
        {
            waves.mouseDown (mouseEventAt (waves, { 10.0f, 10.0f }, leftButton));
            waves.mouseDown (mouseEventAt (waves, { 30.0f, 10.0f }, leftButton, true));
        }

        EXPECT_EQ (seen.size(), 6u);
        EXPECT_EQ (curve.convertFrom0to1 (curve.getValue()), start);
        EXPECT_EQ (seen[0], std::fmod (start + 1.0f, 6.0f));
    }
}

TEST (WaveAnimationClick, AnyButtonClicksAndNoCallbackIsFine)
{
    WaveAnimationComponent waves;
    waves.setSize (100, 50);
    waves.mouseDown (mouseEventAt (waves, { 10.0f, 10.0f }, leftButton));

    int clicks = 0;
    waves.onClick = [&] { ++clicks; };

    for (auto button : { juce::ModifierKeys::leftButtonModifier, juce::ModifierKeys::rightButtonModifier,
                         juce::ModifierKeys::middleButtonModifier })
        waves.mouseDown (mouseEventAt (waves, { 10.0f, 10.0f }, juce::ModifierKeys (button)));

    EXPECT_EQ (clicks, 3);
}

TEST (WaveAnimationDisplayValues, StoresEveryPublishedValue)
{
    DisplayValues v;
    v.crossoverCutoff = 2500.0f;
    v.crossoverBand = 1;
    v.curveType = 4;
    v.tone = 0.25f;
    v.driveGain = 3.5f;
    v.phaseAmount = 5.5f;
    v.phaseDelay = 1.25f;
    v.spread = -2.5f;
    v.inputLevel = 0.125f;
    v.outputGain = 0.75f;
    v.mix = 0.625f;

    WaveAnimationComponent direct, published;
    direct.storeDisplayValues (v);

    DisplayValuePublisher publisher;
    publisher.attach (&published);
    publisher.publish (v);
    publisher.detach (&published);
    publisher.publish (DisplayValues());

    for (auto* waves : { &direct, &published })
    {
        EXPECT_EQ (waves->crossoverCutoff.load(), 2500.0f);
        EXPECT_EQ (waves->crossoverBand.load(), 1);
        EXPECT_EQ (waves->curveType.load(), 4);
        EXPECT_EQ (waves->tone.load(), 0.25f);
        EXPECT_EQ (waves->driveGain.load(), 3.5f);
        EXPECT_EQ (waves->phaseAmount.load(), 5.5f);
        EXPECT_EQ (waves->phaseDelay.load(), 1.25f);
        EXPECT_EQ (waves->spread.load(), -2.5f);
        EXPECT_EQ (waves->inputLevel.load(), 0.125f);
        EXPECT_EQ (waves->outputGain.load(), 0.75f);
        EXPECT_EQ (waves->mix.load(), 0.625f);
    }
}

TEST (WaveAnimationDisplayValues, StartsAtZeroWithThreeWavesAtRest)
{
    WaveAnimationComponent waves;

    EXPECT_EQ (waves.crossoverCutoff.load(), 0.0f);
    EXPECT_EQ (waves.crossoverBand.load(), 0);
    EXPECT_EQ (waves.curveType.load(), 0);
    EXPECT_EQ (waves.tone.load(), 0.0f);
    EXPECT_EQ (waves.driveGain.load(), 0.0f);
    EXPECT_EQ (waves.phaseAmount.load(), 0.0f);
    EXPECT_EQ (waves.phaseDelay.load(), 0.0f);
    EXPECT_EQ (waves.spread.load(), 0.0f);
    EXPECT_EQ (waves.inputLevel.load(), 0.0f);
    EXPECT_EQ (waves.outputGain.load(), 0.0f);
    EXPECT_EQ (waves.mix.load(), 0.0f);
    EXPECT_EQ (waves.levelSmoother.getCurrentValue(), 0.0f);
    EXPECT_EQ (waves.onClick, nullptr);

    ASSERT_EQ (waves.waves.size(), 3u);

    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ (waves.waves[i].phase, 0.0f);
        EXPECT_EQ (waves.waves[i].phaseIncrement, increments[i]);
        EXPECT_EQ (waves.waves[i].amplitude, 0.72f);
        EXPECT_EQ (waves.waves[i].alpha, 0.72f);
    }
}
