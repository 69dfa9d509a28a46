#include "DspTestHelpers.h"
#include "dsp/DCBlocker.h"
#include "dsp/IIRSection.h"
#include "dsp/LinkwitzRileyFilters.h"
#include "dsp/ToneFilter.h"
#include "dsp/WaveShaperHelpers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// The library's IIR sections against the framework's own filters: every output sample
// and the state carried into later blocks must be identical to the last bit.

namespace
{
using Coefficients = juce::dsp::IIR::Coefficients<float>;
using FrameworkFilter = juce::dsp::IIR::Filter<float>;
using FrameworkSection = juce::dsp::ProcessorDuplicator<FrameworkFilter, Coefficients>;

constexpr int channelCounts[] = { 1, 2, 3 };
constexpr int blockSizes[] = { 1, 7, 64, 512 };

// Loud noise, noise small enough for the states to fall into the snap-to-zero range,
// and silence, so that the snapped states matter for the blocks that follow.
constexpr float blockAmplitudes[] = { 0.5f, 1.0e-9f, 0.0f, 0.8f, 3.0e-8f, 0.25f };
constexpr int numBlocks = (int) std::size (blockAmplitudes);

juce::AudioBuffer<float> makeInput (int numChannels, int numSamples, int block)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    brazzle::test::fillWithNoise (buffer, 100 + block * 7 + numChannels, blockAmplitudes[block]);
    return buffer;
}

uint32_t bitsOf (float x)
{
    uint32_t bits;
    std::memcpy (&bits, &x, sizeof (bits));
    return bits;
}

void expectIdentical (const juce::AudioBuffer<float>& actual, const juce::AudioBuffer<float>& expected, const std::string& where)
{
    ASSERT_EQ (actual.getNumChannels(), expected.getNumChannels()) << where;
    ASSERT_EQ (actual.getNumSamples(), expected.getNumSamples()) << where;

    for (int channel = 0; channel < actual.getNumChannels(); ++channel)
        for (int n = 0; n < actual.getNumSamples(); ++n)
            ASSERT_EQ (bitsOf (actual.getSample (channel, n)), bitsOf (expected.getSample (channel, n)))
                << where << ", channel " << channel << ", sample " << n << ": "
                << actual.getSample (channel, n) << " vs " << expected.getSample (channel, n);
}

std::string describe (int numChannels, int blockSize, int block)
{
    return std::to_string (numChannels) + " channels, blocks of " + std::to_string (blockSize) + ", block " + std::to_string (block);
}

// A stable section of the given order whose coefficients move with the block index.
std::array<float, 6> designSection (size_t order, int block, int stage)
{
    const auto frequency = 60.0 * std::pow (3.1, (double) ((block + stage) % 6));

    if (order == 1)
    {
        const auto c = juce::dsp::IIR::ArrayCoefficients<float>::makeFirstOrderLowPass (48000.0, (float) frequency);
        return { c[0], c[1], c[2], c[3], 0.0f, 0.0f };
    }

    return juce::dsp::IIR::ArrayCoefficients<float>::makePeakFilter (48000.0, (float) frequency, 0.5f + 0.3f * (float) stage,
                                                                     0.25f + 1.5f * (float) (block % 3));
}

void assignSection (Coefficients& coefficients, size_t order, int block, int stage)
{
    const auto values = designSection (order, block, stage);

    if (order == 1)
        coefficients = std::array<float, 4> { values[0], values[1], values[2], values[3] };
    else
        coefficients = values;
}
} // namespace

//==============================================================================
// The block loops on their own, with every combination of stage count, orders that
// agree or differ between channels (and change in between blocks), and bypass.
TEST (IIRSection, BlockLoopsMatchTheFrameworkFilterInSeries)
{
    struct Case
    {
        int numStages;
        std::function<size_t (int block, int channel, int stage)> order;
        bool bypassFirst;
        const char* name;
    };

    const Case cases[] = {
        { 1, [] (int, int, int) { return (size_t) 2; }, false, "one second-order stage" },
        { 1, [] (int, int, int) { return (size_t) 1; }, false, "one first-order stage" },
        { 1, [] (int, int, int) { return (size_t) 1; }, true, "one bypassed first-order stage" },
        { 2, [] (int, int, int) { return (size_t) 2; }, false, "two second-order stages" },
        { 2, [] (int, int, int) { return (size_t) 2; }, true, "two stages, the first bypassed" },
        { 3, [] (int, int, int) { return (size_t) 2; }, false, "three second-order stages" },
        { 3, [] (int block, int, int stage) { return (size_t) ((block + stage) % 2 == 0 ? 2 : 1); }, false, "orders changing between blocks" },
        { 2, [] (int, int channel, int) { return (size_t) (channel == 1 ? 1 : 2); }, true, "orders differing between channels" },
    };

    for (const auto& c : cases)
    {
        for (const auto numChannels : channelCounts)
        {
            for (const auto blockSize : blockSizes)
            {
                std::vector<Coefficients::Ptr> coefficients;
                std::vector<qv::detail::IIRSection<float>> sections;
                std::vector<std::unique_ptr<FrameworkFilter>> references;

                for (int channel = 0; channel < numChannels; ++channel)
                {
                    for (int stage = 0; stage < c.numStages; ++stage)
                    {
                        coefficients.push_back (new Coefficients());
                        assignSection (*coefficients.back(), c.order (0, channel, stage), 0, stage);
                        sections.emplace_back (coefficients.back());
                        references.push_back (std::make_unique<FrameworkFilter> (coefficients.back()));
                    }
                }

                auto index = [&] (size_t channel, size_t stage) { return channel * (size_t) c.numStages + stage; };
                auto sectionFor = [&] (size_t channel, size_t stage) -> qv::detail::IIRSection<float>& { return sections[index (channel, stage)]; };

                for (int block = 0; block < numBlocks; ++block)
                {
                    for (int channel = 0; channel < numChannels; ++channel)
                        for (int stage = 0; stage < c.numStages; ++stage)
                            assignSection (*coefficients[index ((size_t) channel, (size_t) stage)], c.order (block, channel, stage), block, stage);

                    const auto input = makeInput (numChannels, blockSize, block);
                    juce::AudioBuffer<float> actual (numChannels, blockSize), expected (numChannels, blockSize);
                    actual.clear();

                    const juce::dsp::AudioBlock<const float> inputBlock (input);
                    juce::dsp::AudioBlock<float> actualBlock (actual);

                    switch (c.numStages * 2 + (c.bypassFirst ? 1 : 0))
                    {
                        case 2: qv::detail::processSections<float, 1, false> (sectionFor, inputBlock, actualBlock); break;
                        case 3: qv::detail::processSections<float, 1, true> (sectionFor, inputBlock, actualBlock); break;
                        case 4: qv::detail::processSections<float, 2, false> (sectionFor, inputBlock, actualBlock); break;
                        case 5: qv::detail::processSections<float, 2, true> (sectionFor, inputBlock, actualBlock); break;
                        case 6: qv::detail::processSections<float, 3, false> (sectionFor, inputBlock, actualBlock); break;
                        default: FAIL() << "no such case";
                    }

                    for (int channel = 0; channel < numChannels; ++channel)
                    {
                        juce::dsp::AudioBlock<const float> channelInput = inputBlock.getSingleChannelBlock ((size_t) channel);
                        auto channelOutput = juce::dsp::AudioBlock<float> (expected).getSingleChannelBlock ((size_t) channel);

                        for (int stage = 0; stage < c.numStages; ++stage)
                        {
                            auto& reference = *references[index ((size_t) channel, (size_t) stage)];

                            if (stage == 0)
                            {
                                juce::dsp::ProcessContextNonReplacing<float> context (channelInput, channelOutput);
                                context.isBypassed = c.bypassFirst;
                                reference.process (context);
                            }
                            else
                            {
                                reference.process (juce::dsp::ProcessContextReplacing<float> (channelOutput));
                            }
                        }
                    }

                    expectIdentical (actual, expected, std::string (c.name) + ", " + describe (numChannels, blockSize, block));

                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}

//==============================================================================
// Both crossover branches against two framework sections in series, with the cutoff
// moving between blocks, in place, out of place and bypassed.
// A cutoff change glides the branch's coefficients, while the framework sections can only
// swap theirs at once, so the two run with different coefficients during a glide. After
// each change the glide is run to its end and the history of both is cleared; a noise
// block then starts both from the same state, and every block of the same cutoff after
// it carries state (and its snapping to zero) across blocks. Each cutoff's settled
// behaviour is so compared bit for bit, which also shows that the glide ends exactly on
// the recipe's coefficients.
TEST (LinkwitzRiley, BranchesMatchTwoFrameworkSectionsInSeries)
{
    constexpr float cutoffs[] = { 1800.0f, 1800.0f, 250.0f, 9000.0f, 9000.0f, 40.0f };
    static_assert (std::size (cutoffs) == (size_t) numBlocks);

    enum class Mode { inPlace, outOfPlace, bypassed };

    for (const auto mode : { Mode::inPlace, Mode::outOfPlace, Mode::bypassed })
    {
        for (const auto highpass : { false, true })
        {
            for (const auto numChannels : channelCounts)
            {
                for (const auto blockSize : blockSizes)
                {
                    const auto spec = brazzle::test::makeSpec (48000.0, blockSize, numChannels);
                    qv::LinkwitzRileyLowpass<float> low;
                    qv::LinkwitzRileyHighpass<float> high;
                    low.prepare (spec);
                    high.prepare (spec);

                    FrameworkSection first, second;
                    first.prepare (spec);
                    second.prepare (spec);

                    auto compare = [&] (const juce::AudioBuffer<float>& input, const std::string& where)
                    {
                        auto actual = input;
                        auto expected = input;

                        juce::dsp::AudioBlock<float> actualBlock (actual), expectedBlock (expected);
                        juce::AudioBuffer<float> outOfPlace (numChannels, blockSize);
                        outOfPlace.clear();
                        juce::dsp::AudioBlock<float> outOfPlaceBlock (outOfPlace);
                        const juce::dsp::AudioBlock<const float> inputBlock (input);

                        auto run = [&] (auto& branch)
                        {
                            if (mode == Mode::inPlace)
                            {
                                branch.process (juce::dsp::ProcessContextReplacing<float> (actualBlock));
                            }
                            else
                            {
                                juce::dsp::ProcessContextNonReplacing<float> context (inputBlock, outOfPlaceBlock);
                                context.isBypassed = mode == Mode::bypassed;
                                branch.process (context);
                                actual.makeCopyOf (outOfPlace);
                            }
                        };

                        if (highpass)
                            run (high);
                        else
                            run (low);

                        if (mode == Mode::inPlace)
                        {
                            first.process (juce::dsp::ProcessContextReplacing<float> (expectedBlock));
                        }
                        else
                        {
                            juce::dsp::ProcessContextNonReplacing<float> context (inputBlock, expectedBlock);
                            context.isBypassed = mode == Mode::bypassed;
                            first.process (context);
                        }

                        second.process (juce::dsp::ProcessContextReplacing<float> (expectedBlock));

                        expectIdentical (actual, expected, (highpass ? "high-pass, " : "low-pass, ")
                                                               + std::string ("mode ") + std::to_string ((int) mode) + ", " + where);
                    };

                    auto finishGlide = [&] (auto& branch)
                    {
                        juce::AudioBuffer<float> scratch (numChannels, blockSize);

                        for (int chunk = 0; branch.isGliding(); ++chunk)
                        {
                            ASSERT_LT (chunk * blockSize, 48000 * 8 / 1000) << "the glide outlasts 8 ms";
                            brazzle::test::fillWithNoise (scratch, 7000 + chunk, 0.5f);
                            juce::dsp::AudioBlock<float> scratchBlock (scratch);
                            branch.process (juce::dsp::ProcessContextReplacing<float> (scratchBlock));
                        }
                    };

                    for (int block = 0; block < numBlocks; ++block)
                    {
                        const auto changed = block > 0 && cutoffs[block] != cutoffs[block - 1];
                        low.setCutoff (cutoffs[block]);
                        high.setCutoff (cutoffs[block]);
                        EXPECT_EQ (high.isGliding(), changed);
                        EXPECT_EQ (low.isGliding(), changed);

                        const auto& designed = highpass ? high.getSectionCoefficients (0) : low.getSectionCoefficients (0);
                        *first.state = designed;
                        *second.state = designed;

                        if (changed)
                        {
                            finishGlide (low);
                            finishGlide (high);

                            if (HasFatalFailure())
                                return;

                            low.reset();
                            high.reset();
                            first.reset();
                            second.reset();

                            juce::AudioBuffer<float> settling (numChannels, blockSize);
                            brazzle::test::fillWithNoise (settling, 900 + block, 0.5f);
                            compare (settling, "settling block before " + describe (numChannels, blockSize, block));

                            if (HasFatalFailure())
                                return;
                        }

                        compare (makeInput (numChannels, blockSize, block), describe (numChannels, blockSize, block));

                        if (HasFatalFailure())
                            return;
                    }
                }
            }
        }
    }
}

//==============================================================================
TEST (DCBlocker, MatchesTheFrameworkFirstOrderHighPass)
{
    for (const auto bypassed : { false, true })
    {
        for (const auto numChannels : channelCounts)
        {
            for (const auto blockSize : blockSizes)
            {
                const auto spec = brazzle::test::makeSpec (44100.0, blockSize, numChannels);
                qv::DCBlocker<float> blocker;
                blocker.prepare (spec);

                FrameworkSection reference;
                *reference.state = juce::dsp::IIR::ArrayCoefficients<float>::makeFirstOrderHighPass (spec.sampleRate, 5.0f);
                reference.prepare (spec);

                for (int block = 0; block < numBlocks; ++block)
                {
                    auto input = makeInput (numChannels, blockSize, block);

                    // An offset keeps the slow state busy across the blocks.
                    for (int channel = 0; channel < numChannels; ++channel)
                        juce::FloatVectorOperations::add (input.getWritePointer (channel), 0.3f * blockAmplitudes[block], blockSize);

                    auto actual = input;
                    auto expected = input;
                    juce::dsp::AudioBlock<float> actualBlock (actual), expectedBlock (expected);

                    juce::dsp::ProcessContextReplacing<float> actualContext (actualBlock), expectedContext (expectedBlock);
                    actualContext.isBypassed = bypassed;
                    expectedContext.isBypassed = bypassed;
                    blocker.process (actualContext);
                    reference.process (expectedContext);

                    expectIdentical (actual, expected, std::string (bypassed ? "bypassed, " : "") + describe (numChannels, blockSize, block));

                    if (HasFatalFailure())
                        return;
                }
            }
        }
    }
}

//==============================================================================
// The tone filter's settled bands against one framework filter per band and channel,
// each sharing that band's coefficients; the tone moves between blocks without a glide.
TEST (ToneFilter, SettledBandsMatchFrameworkFiltersInSeries)
{
    constexpr float tones[] = { 0.3f, 0.3f, 0.0f, 1.0f, 0.65f, 0.5f };
    static_assert (std::size (tones) == (size_t) numBlocks);

    for (const auto numChannels : channelCounts)
    {
        for (const auto blockSize : blockSizes)
        {
            const auto spec = brazzle::test::makeSpec (96000.0, blockSize, numChannels);
            qv::ToneFilter<float> tone;
            tone.prepare (spec);

            std::vector<std::unique_ptr<FrameworkFilter>> references;

            for (auto* band : tone.bands)
            {
                for (auto* channel : band->channels)
                {
                    references.push_back (std::make_unique<FrameworkFilter> (channel->coefficients));
                    references.back()->reset();
                }
            }

            for (int block = 0; block < numBlocks; ++block)
            {
                tone.setTone (tones[block]);

                for (auto* band : tone.bands)
                {
                    for (auto* channel : band->channels)
                    {
                        channel->gain.reset (spec.sampleRate);
                        channel->updateCoefficients();
                        ASSERT_TRUE (channel->runsWholeBlockSection());
                    }
                }

                const auto input = makeInput (numChannels, blockSize, block);
                auto actual = input;
                auto expected = input;
                juce::dsp::AudioBlock<float> actualBlock (actual), expectedBlock (expected);

                tone.process (juce::dsp::ProcessContextReplacing<float> (actualBlock));

                for (int band = 0; band < tone.bands.size(); ++band)
                {
                    for (int channel = 0; channel < numChannels; ++channel)
                    {
                        auto channelBlock = expectedBlock.getSingleChannelBlock ((size_t) channel);
                        references[(size_t) (band * numChannels + channel)]->process (juce::dsp::ProcessContextReplacing<float> (channelBlock));
                    }
                }

                expectIdentical (actual, expected, describe (numChannels, blockSize, block));

                if (HasFatalFailure())
                    return;
            }
        }
    }
}

//==============================================================================
// A settled shaper's block loop against its curve called sample by sample, over inputs
// that reach the clamps, the fold-back's remainder branch and the non-finite values.
TEST (WaveShaper, BlockLoopMatchesTheCurveSampleBySample)
{
    using Shaper = qv::WaveShaperHelpers::SingleChannelWaveShaper<float>;

    std::vector<float> input (4099);
    juce::Random random (31);

    for (auto& x : input)
        x = (2.0f * random.nextFloat() - 1.0f) * std::pow (10.0f, 6.0f * random.nextFloat() - 3.0f);

    input[0] = std::numeric_limits<float>::infinity();
    input[1] = -std::numeric_limits<float>::infinity();
    input[2] = std::numeric_limits<float>::quiet_NaN();
    input[3] = -0.0f;
    input[4] = 1.0e30f;
    input[5] = -std::numeric_limits<float>::quiet_NaN();

    for (int type = 0; type < Shaper::numCurves; ++type)
    {
        Shaper shaper;
        shaper.sampleRate = 48000.0f;
        shaper.currentType = type;

        for (const auto length : { (size_t) 1, (size_t) 7, input.size() })
        {
            auto actual = std::vector<float> (input.begin(), input.begin() + (std::ptrdiff_t) length);
            shaper.process (actual.data(), actual.size());

            for (size_t n = 0; n < length; ++n)
                ASSERT_EQ (bitsOf (actual[n]), bitsOf (shaper.curves[(size_t) type] (input[n])))
                    << "curve " << type << ", length " << length << ", sample " << n << " (input " << input[n] << ")";
        }
    }
}
