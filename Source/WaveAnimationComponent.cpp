#include "WaveAnimationComponent.h"

#include "BrazzleLookAndFeel.h"
#include "dsp/WaveShaperHelpers.h"

#include <BinaryData.h>

#include <algorithm>
#include <cmath>

namespace
{
using Shaper = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>;

Shaper::Curve curveFor (int type) noexcept
{
    switch (type)
    {
        case 0: return &Shaper::identity;
        case 1: return &Shaper::tapeSaturate;
        case 2: return &Shaper::tubeSaturate;
        case 3: return &Shaper::crossoverSaturate;
        case 4: return &Shaper::logSaturate;
        case 5: return &Shaper::sinFoldback;
        default: return nullptr;
    }
}

// A raised-cosine fade over the first and last quarter of the width.
float taper (float u) noexcept
{
    constexpr float fourPi = 4.0f * juce::MathConstants<float>::pi;

    if (u < 0.25f)
        return (1.0f - std::cos (fourPi * u)) / 2.0f;

    if (u > 0.75f)
        return 1.0f - (1.0f - std::cos (fourPi * (u - 0.75f))) / 2.0f;

    return 1.0f;
}

juce::uint8 alphaByte (float alpha) noexcept
{
    if (alpha <= 0.0f)
        return 0;

    if (alpha >= 1.0f)
        return 255;

    return static_cast<juce::uint8> (alpha * 255.996f);
}
} // namespace

WaveAnimationComponent::WaveAnimationComponent()
    : waves ({ { 0.0f, 0.12537876f, 0.72f, 0.72f },
               { 0.0f, 0.06268938f, 0.72f, 0.72f },
               { 0.0f, 0.03134469f, 0.72f, 0.72f } })
{
    levelSmoother.reset (3);
    startTimer (33);
}

WaveAnimationComponent::~WaveAnimationComponent()
{
    stopTimer();
}

void WaveAnimationComponent::storeDisplayValues (const DisplayValues& values) noexcept
{
    crossoverCutoff.store (values.crossoverCutoff);
    crossoverBand.store (values.crossoverBand);
    curveType.store (values.curveType);
    tone.store (values.tone);
    driveGain.store (values.driveGain);
    phaseAmount.store (values.phaseAmount);
    phaseDelay.store (values.phaseDelay);
    spread.store (values.spread);
    inputLevel.store (values.inputLevel);
    outputGain.store (values.outputGain);
    mix.store (values.mix);
}

void WaveAnimationComponent::paint (juce::Graphics& g)
{
    const int type = curveType.load();
    const auto curve = curveFor (type);

    if (curve == nullptr)
        return;

    const float drive = type == 0 ? 1.0f : driveGain.load();

    const float level = inputLevel.load();
    levelSmoother.setTargetValue (level < 0.0f ? 0.25f : 2.0f * std::min (1.0f, level) + 0.25f);
    const float displayGain = levelSmoother.getNextValue();

    const float linearOutputGain = outputGain.load();
    const float outputDecibels = linearOutputGain > 0.0f ? std::max (20.0f * std::log10 (linearOutputGain), -100.0f)
                                                         : -100.0f;

    const float toneTilt = (2.0f * tone.load() - 1.0f) * 0.14f;
    const float crossoverTilt = (2.0f * crossoverCutoff.load() / 16000.0f - 1.0f) * 0.14f
                              * static_cast<float> (2 * crossoverBand.load() - 1);
    waves[0].alpha = 0.6f + toneTilt - crossoverTilt;
    waves[1].alpha = 0.6f;
    waves[2].alpha = 0.6f - toneTilt - crossoverTilt;

    const double spreadMs = static_cast<double> (spread.load());

    for (auto& wave : waves)
        wave.phase = static_cast<float> (static_cast<double> (wave.phase)
                                         - 0.5 * static_cast<double> (wave.phaseIncrement) * spreadMs);

    auto background = juce::Colours::black;
    auto foreground = juce::Colours::white;

    if (auto* skin = dynamic_cast<BrazzleLookAndFeel*> (&getLookAndFeel()))
    {
        background = skin->backgroundColour;
        foreground = skin->foregroundColour;
    }

    if (getLocalBounds().isEmpty())
    {
        g.fillAll (background);
    }
    else
    {
        const auto scale = g.getInternalContext().getPhysicalPixelScaleFactor();
        g.drawImageTransformed (getScaledGrid (background, scale), juce::AffineTransform::scale (1.0f / scale));
    }

    const int width = getWidth();
    const float halfHeight = static_cast<float> (getHeight()) / 2.0f;
    const float amplitudeScale = (outputDecibels + 36.0f) / 24.0f * displayGain;
    const float modulationDepth = phaseAmount.load() * 0.12f;
    const float phaseOffset = phaseDelay.load() * 0.25f * 0.8f;
    const float wet = mix.load();
    const float dry = 1.0f - wet;

    const juce::PathStrokeType stroke (2.0f, juce::PathStrokeType::mitered, juce::PathStrokeType::butt);

    for (auto& wave : waves)
    {
        juce::Path path;

        for (int x = 0; x < width; ++x)
        {
            const float u = static_cast<float> (x) / static_cast<float> (width);
            const float theta = wave.phaseIncrement * static_cast<float> (x) + wave.phase;
            const float modulated = std::sin (theta + modulationDepth * std::sin (theta - 0.14f - phaseOffset));
            const float shaped = curve (modulated * drive * wave.amplitude);
            const float y = halfHeight + halfHeight * amplitudeScale * taper (u)
                                             * (wet * shaped + dry * wave.amplitude * std::sin (theta));

            if (x == 0)
                path.startNewSubPath (static_cast<float> (x), y);
            else
                path.lineTo (static_cast<float> (x), y);
        }

        wave.phase = static_cast<float> (static_cast<double> (wave.phase) + 0.0333);

        juce::ColourGradient gradient (foreground.withAlpha (static_cast<juce::uint8> (0)), 0.0f, 0.0f,
                                       foreground.withAlpha (static_cast<juce::uint8> (0)), static_cast<float> (width), 0.0f,
                                       false);
        gradient.addColour (0.5, foreground.withAlpha (alphaByte (wave.alpha)));

        g.setGradientFill (gradient);
        g.strokePath (path, stroke);
    }
}

void WaveAnimationComponent::resized()
{
}

const juce::Image& WaveAnimationComponent::getScaledGrid (juce::Colour background, float scale)
{
    // Drawing the copy replaces what lies beneath, as filling with the background does.
    jassert (background.isOpaque());
    jassert (scale > 0.0f && ! getLocalBounds().isEmpty());

    const int width = juce::roundToInt (static_cast<float> (getWidth()) * scale);
    const int height = juce::roundToInt (static_cast<float> (getHeight()) * scale);

    if (scaledGrid.getWidth() != width || scaledGrid.getHeight() != height || scaledGridBackground != background)
    {
        // The background goes in too, so that the stretched picture's edges blend with
        // it just as they do when it is stretched over the background on the spot.
        juce::Image stretched (juce::Image::ARGB, juce::jmax (1, width), juce::jmax (1, height), true);

        {
            juce::Graphics g (stretched);
            g.fillAll (background);
            g.drawImage (juce::ImageCache::getFromMemory (BinaryData::wave_grid_png, BinaryData::wave_grid_pngSize),
                         stretched.getBounds().toFloat());
        }

        // Opaque, so nothing is lost without alpha, and the copy becomes a plain copy.
        scaledGrid = stretched.convertedToFormat (juce::Image::RGB);
        scaledGridBackground = background;
    }

    return scaledGrid;
}

void WaveAnimationComponent::mouseDown (const juce::MouseEvent& e)
{
    if (! e.mouseWasDraggedSinceMouseDown() && onClick != nullptr)
        onClick();
}

void WaveAnimationComponent::timerCallback()
{
    repaint();
}
