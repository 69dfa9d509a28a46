#pragma once

#include "dsp/DCBlocker.h"
#include "dsp/FirstOrderAllpassCascade.h"
#include "dsp/LinkwitzRileyFilters.h"
#include "dsp/PoleSmoothedValue.h"
#include "dsp/ProcessorParallel.h"
#include "dsp/ProcessorSeries.h"
#include "dsp/Saturator.h"
#include "dsp/SignalFollowerModulator.h"
#include "dsp/ToneFilter.h"

#include <vector>

/** The whole signal chain at the oversampled rate: the signal follower, the low-band,
    high-band and full-band shaping paths, the crossover, the band and bypass
    cross-fades, auto gain compensation and the dry/wet mix.

    The owner sets the members' targets once per block and then calls process. The
    follower is declared ahead of the paths so that the paths' subscriptions to it are
    destroyed first.
*/
class MainProcessor
{
public:
    using SaturatorStage = qv::ProcessorSeries<float, qv::ToneFilter<float>, qv::Saturator<float>, qv::DCBlocker<float>>;
    using PhaseStage = qv::ProcessorSeries<float, qv::FirstOrderAllpassCascade<float>, qv::DCBlocker<float>>;
    using ShapingPath = qv::ProcessorSeries<float, SaturatorStage, PhaseStage>;
    using Crossover = qv::ProcessorParallel<float,
                                            qv::LinkwitzRileyLowpass<float>,
                                            qv::LinkwitzRileyHighpass<float>,
                                            juce::dsp::Gain<float>,
                                            juce::dsp::Gain<float>>;

    /** The crossover buffer's slices: the two bands, and the work areas in which the
        band result and the full-band signal are assembled. */
    enum Slice : size_t
    {
        lowSlice = 0,
        highSlice = 1,
        resultSlice = 2,
        fullSlice = 3
    };

    /** The members' settings derived from one reading of the parameters. */
    struct Settings
    {
        float bypassTarget = 0.0f;
        float bandTarget = 0.0f;
        float cutoff = 1800.0f;
        float tone = 0.5f;
        float driveDecibels = 0.0f;
        float driveGain = 1.0f;
        int curveType = 0;
        float phaseAmount = 0.0f;
        float firstDelayMs = 0.0f;
        float secondDelayMs = 0.0f;
        bool autoGainEnabled = false;
        float dryGain = 0.0f;
        float wetGain = 1.0f;
    };

    MainProcessor();

    void prepare (const juce::dsp::ProcessSpec& spec);

    /** Hands the settings to the members, as the owner does once per block. */
    void applySettings (const Settings& newSettings) noexcept;

    /** Hands the last settings over again, for a block the owner runs in pieces: each
        piece then starts exactly as it would have as a block of its own. */
    void reapplySettings() noexcept { applySettings (settings); }

    /** Clears the signal history of the follower, the paths and the crossover, so that
        a chain whose state went bad starts afresh; settings, smoothed values and fades
        are kept. Allocates nothing. */
    void reset() noexcept;

    /** False when a follower envelope is NaN or infinite. The envelopes reach the output
        only through the clipped allpass coefficients, which may hide such a value, so
        the output alone does not reveal it. */
    bool hasFiniteModulation() const noexcept;

    /** Runs the chain in place. A block longer than the prepared maximum is processed
        in pieces of that size. */
    void process (const juce::dsp::ProcessContextReplacing<float>& context) noexcept;

    static qv::ToneFilter<float>& toneFilter (ShapingPath& path) noexcept { return path.get<0>().get<0>(); }
    static qv::Saturator<float>& saturator (ShapingPath& path) noexcept { return path.get<0>().get<1>(); }
    static qv::FirstOrderAllpassCascade<float>& allpass (ShapingPath& path) noexcept { return path.get<1>().get<0>(); }

    qv::SignalFollowerModulator<float> follower;
    ShapingPath lowBandPath;
    ShapingPath highBandPath;
    ShapingPath fullBandPath;
    Crossover crossover;
    std::vector<float> blendRamp;
    bool autoGainEnabled = false;
    float driveDecibels = 0.0f;
    int curveType = 0;
    juce::SmoothedValue<float> bandPathGain { 1.0f };
    juce::SmoothedValue<float> fullPathGain { 1.0f };
    juce::SmoothedValue<float> bypassBlend { 0.0f };
    juce::SmoothedValue<float> bandBlend { 0.0f };
    qv::PoleSmoothedValue<float> dryGain { 8.0f, 0.0f };
    qv::PoleSmoothedValue<float> wetGain { 8.0f, 1.0f };

    /** Which of the paths ran in the last block, for the owner's tests and meters. */
    struct PathsRun
    {
        bool fullBand = false;
        bool band = false;
    };

    PathsRun getPathsRunInLastBlock() const noexcept { return pathsRun; }

private:
    void processChunk (const juce::dsp::AudioBlock<float>& block) noexcept;
    void processBandStep (const juce::dsp::AudioBlock<float>& dry) noexcept;
    void combineWithBypassFade (size_t numSamples) noexcept;

    size_t maximumBlockSize = 0;
    PathsRun pathsRun;
    Settings settings;
};
