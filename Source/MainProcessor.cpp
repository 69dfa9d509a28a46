#include "MainProcessor.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace
{
using Block = juce::dsp::AudioBlock<float>;

// result += source × (1 − ramp), sample by sample on every channel.
void addWithComplementOfRamp (const Block& result, const Block& source, const float* ramp) noexcept
{
    for (size_t channel = 0; channel < result.getNumChannels(); ++channel)
    {
        auto* out = result.getChannelPointer (channel);
        const auto* in = source.getChannelPointer (channel);

        for (size_t n = 0; n < result.getNumSamples(); ++n)
            out[n] += in[n] * (1.0f - ramp[n]);
    }
}

void addWithRamp (const Block& result, const Block& source, const float* ramp) noexcept
{
    for (size_t channel = 0; channel < result.getNumChannels(); ++channel)
        juce::FloatVectorOperations::addWithMultiply (result.getChannelPointer (channel),
                                                      source.getChannelPointer (channel),
                                                      ramp,
                                                      static_cast<int> (result.getNumSamples()));
}
} // namespace

MainProcessor::MainProcessor() = default;

void MainProcessor::prepare (const juce::dsp::ProcessSpec& spec)
{
    const double rate = spec.sampleRate;

    for (auto* blend : { &bypassBlend, &bandBlend })
    {
        blend->reset (rate, 0.04);
        blend->setCurrentAndTargetValue (blend->getTargetValue());
    }

    dryGain.reset (rate);
    wetGain.reset (rate);

    follower.prepare (spec);
    lowBandPath.prepare (spec);
    highBandPath.prepare (spec);
    fullBandPath.prepare (spec);
    crossover.prepare (spec);

    blendRamp.assign (spec.maximumBlockSize, 0.0f);
    maximumBlockSize = spec.maximumBlockSize;

    for (auto* gain : { &bandPathGain, &fullPathGain })
    {
        gain->reset (rate, 0.01);
        gain->setCurrentAndTargetValue (1.0f);
    }
}

void MainProcessor::applySettings (const Settings& newSettings) noexcept
{
    settings = newSettings;

    bypassBlend.setTargetValue (settings.bypassTarget);
    bandBlend.setTargetValue (settings.bandTarget);

    crossover.get<0>().setCutoff (settings.cutoff);
    crossover.get<1>().setCutoff (settings.cutoff);

    const std::array<ShapingPath*, 3> paths { &lowBandPath, &highBandPath, &fullBandPath };

    for (auto* path : paths)
        toneFilter (*path).setTone (settings.tone);

    for (auto* path : paths)
        saturator (*path).setState ({ settings.driveGain, 0.0f, settings.curveType });

    driveDecibels = settings.driveDecibels;
    curveType = settings.curveType;

    for (auto* path : paths)
        allpass (*path).amount.setTargetValue (settings.phaseAmount);

    if (follower.delayLines.size() >= 2)
    {
        follower.delayLines[0]->setTargetValue (settings.firstDelayMs);
        follower.delayLines[1]->setTargetValue (settings.secondDelayMs);
    }

    autoGainEnabled = settings.autoGainEnabled;

    dryGain.setTargetValue (settings.dryGain);
    wetGain.setTargetValue (settings.wetGain);
}

void MainProcessor::reset() noexcept
{
    jassert (maximumBlockSize > 0);

    follower.reset();
    lowBandPath.reset();
    highBandPath.reset();
    fullBandPath.reset();
    crossover.reset();
}

bool MainProcessor::hasFiniteModulation() const noexcept
{
    return std::all_of (follower.envelopes.begin(), follower.envelopes.end(), [] (float envelope) { return std::isfinite (envelope); });
}

void MainProcessor::process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept
{
    const auto& block = context.getOutputBlock();
    const auto numSamples = block.getNumSamples();

    jassert (numSamples <= maximumBlockSize);

    if (maximumBlockSize == 0)
        return;

    for (size_t start = 0; start < numSamples; start += maximumBlockSize)
        processChunk (block.getSubBlock (start, juce::jmin (maximumBlockSize, numSamples - start)));
}

void MainProcessor::processChunk (const Block& chunk) noexcept
{
    auto x = chunk;
    const auto numSamples = x.getNumSamples();

    follower.process (juce::dsp::AudioBlock<const float> (x));
    crossover.process (juce::dsp::ProcessContextReplacing<float> (x));

    auto full = crossover.getSlice (fullSlice);
    auto result = crossover.getSlice (resultSlice);

    const bool bypassFading = bypassBlend.isSmoothing();
    pathsRun.fullBand = bypassFading || bypassBlend.getTargetValue() > 0.5f;
    pathsRun.band = bypassFading || bypassBlend.getTargetValue() < 0.5f;

    if (pathsRun.fullBand)
    {
        const auto channels = juce::jmin (x.getNumChannels(), full.getNumChannels());
        const auto samples = juce::jmin (numSamples, full.getNumSamples());
        full.getSubsetChannelBlock (0, channels).getSubBlock (0, samples)
            .copyFrom (x.getSubsetChannelBlock (0, channels).getSubBlock (0, samples));
        fullBandPath.process (juce::dsp::ProcessContextReplacing<float> (full));
    }

    if (pathsRun.band)
        processBandStep (x);

    if (autoGainEnabled)
    {
        const double compensation = curveType == 0 ? 1.0 : juce::Decibels::decibelsToGain (-0.5 * static_cast<double> (driveDecibels));
        bandPathGain.setTargetValue (static_cast<float> (compensation));
        fullPathGain.setTargetValue (static_cast<float> (compensation));
        result.multiplyBy (bandPathGain);
        full.multiplyBy (fullPathGain);
    }

    if (pathsRun.fullBand && ! pathsRun.band)
        result.copyFrom (full);
    else if (pathsRun.fullBand && pathsRun.band)
        combineWithBypassFade (numSamples);

    dryGain.applyGain (x);
    wetGain.applyGain (result);
    x.add (result);
}

void MainProcessor::processBandStep (const Block& dry) noexcept
{
    auto low = crossover.getSlice (lowSlice);
    auto high = crossover.getSlice (highSlice);
    auto result = crossover.getSlice (resultSlice);
    const auto numSamples = result.getNumSamples();

    // From here on the dry signal is the recombined split, which carries the same
    // phase shift as the processed bands.
    dry.replaceWithSumOf (low, high);

    if (bandBlend.isSmoothing())
    {
        auto* ramp = blendRamp.data();

        for (size_t n = 0; n < numSamples; ++n)
            ramp[n] = bandBlend.getNextValue();

        result.clear();
        addWithRamp (result, low, ramp);
        lowBandPath.process (juce::dsp::ProcessContextReplacing<float> (low));
        addWithComplementOfRamp (result, low, ramp);
        addWithComplementOfRamp (result, high, ramp);
        highBandPath.process (juce::dsp::ProcessContextReplacing<float> (high));
        addWithRamp (result, high, ramp);
        return;
    }

    if (static_cast<int> (bandBlend.getTargetValue()) == 1)
        highBandPath.process (juce::dsp::ProcessContextReplacing<float> (high));
    else
        lowBandPath.process (juce::dsp::ProcessContextReplacing<float> (low));

    high.add (low);
    result.copyFrom (high);
}

void MainProcessor::combineWithBypassFade (size_t numSamples) noexcept
{
    auto full = crossover.getSlice (fullSlice);
    auto result = crossover.getSlice (resultSlice);

    // The fade's values live on the stack, a bounded piece at a time.
    constexpr size_t pieceSize = 256;
    float fade[pieceSize];

    for (size_t start = 0; start < numSamples; start += pieceSize)
    {
        const auto length = juce::jmin (pieceSize, numSamples - start);

        for (size_t n = 0; n < length; ++n)
            fade[n] = bypassBlend.getNextValue();

        for (size_t channel = 0; channel < result.getNumChannels(); ++channel)
        {
            auto* out = result.getChannelPointer (channel) + start;
            const auto* processed = full.getChannelPointer (channel) + start;

            for (size_t n = 0; n < length; ++n)
                out[n] = processed[n] * fade[n] + out[n] * (1.0f - fade[n]);
        }
    }
}
