#include "StateChecks.h"

#include "ParameterTable.h"

#include <algorithm>

namespace brazzle::validator
{
namespace
{
constexpr int blockSize = 512;

std::vector<float> currentValues (const juce::Array<juce::AudioProcessorParameter*>& parameters)
{
    std::vector<float> values;

    for (auto* p : parameters)
        values.push_back (p != nullptr ? p->getValue() : -1.0f);

    return values;
}

float largestDifference (const std::vector<float>& a, const std::vector<float>& b)
{
    jassert (a.size() == b.size());
    float worst = 0.0f;

    for (size_t i = 0; i < a.size(); ++i)
        worst = juce::jmax (worst, std::abs (a[i] - b[i]));

    return worst;
}

juce::String excerpt (const juce::MemoryBlock& block, size_t around)
{
    juce::String text;
    const auto start = around > 40 ? around - 40 : size_t {};

    for (auto i = start; i < juce::jmin (block.getSize(), around + 40); ++i)
    {
        const auto c = static_cast<unsigned char> (block[i]);
        text << (c >= 0x20 && c < 0x7f ? static_cast<char> (c) : '.');
    }

    return text.quoted();
}

juce::String firstDifference (const juce::MemoryBlock& a, const juce::MemoryBlock& b)
{
    const auto size = juce::jmin (a.getSize(), b.getSize());

    for (size_t i = 0; i < size; ++i)
        if (a[i] != b[i])
            return "first difference at byte " + juce::String (i) + " of " + juce::String (a.getSize()) + "/"
                   + juce::String (b.getSize()) + ": " + excerpt (a, i) + " vs " + excerpt (b, i);

    return "sizes " + juce::String (a.getSize()) + " and " + juce::String (b.getSize());
}
} // namespace

void StateChecks::run()
{
    auto plugin = ctx.load ("state", 48000.0, blockSize);

    if (plugin == nullptr)
        return;

    checkGetAndSet (*plugin);
    checkParametersRestored (*plugin);
    checkUnusableChunks (*plugin);
}

void StateChecks::checkGetAndSet (juce::AudioPluginInstance& plugin)
{
    const auto parameters = ctx.parametersOf (plugin);
    const auto before = currentValues (parameters);

    juce::MemoryBlock state;
    plugin.getStateInformation (state);
    plugin.setStateInformation (state.getData(), static_cast<int> (state.getSize()));
    ValidationContext::settle (plugin, blockSize);
    const auto after = currentValues (parameters);

    ctx.expect (state.getSize() > 0 && largestDifference (before, after) < 1.0e-6f, "state get/set",
                juce::String (state.getSize()) + " bytes read and restored, parameters unchanged (largest difference "
                    + juce::String (largestDifference (before, after), 7) + ")");
}

void StateChecks::checkParametersRestored (juce::AudioPluginInstance& plugin)
{
    const auto parameters = ctx.parametersOf (plugin);
    auto random = ctx.randomFor ("state restores parameters");
    const int rounds = ctx.getOptions().quick ? 3 : 20;
    float worst = 0.0f;
    juce::String worstDetail;
    int identical = 0, identicalAfterBlocks = 0;
    juce::String mismatch;

    for (int round = 0; round < rounds; ++round)
    {
        const auto saved = ctx.setRandomValues (plugin, random);
        ValidationContext::settle (plugin, blockSize);

        juce::MemoryBlock state;
        plugin.getStateInformation (state);

        ctx.setRandomValues (plugin, random);
        ValidationContext::settle (plugin, blockSize);

        plugin.setStateInformation (state.getData(), static_cast<int> (state.getSize()));

        juce::MemoryBlock readBack;
        plugin.getStateInformation (readBack);

        ValidationContext::settleUntil (plugin, blockSize, [&]
                                        { return largestDifference (currentValues (parameters), saved) <= 0.1f; });

        const auto difference = largestDifference (currentValues (parameters), saved);

        if (difference >= worst)
        {
            worst = difference;
            worstDetail = "set " + ValidationContext::describeValues (saved) + ", got "
                          + ValidationContext::describeValues (currentValues (parameters));
        }

        juce::MemoryBlock readBackLater;
        plugin.getStateInformation (readBackLater);

        identical += readBack == state ? 1 : 0;
        identicalAfterBlocks += readBackLater == state ? 1 : 0;

        if (mismatch.isEmpty() && readBack != state)
            mismatch = "at once: " + firstDifference (state, readBack);

        if (mismatch.isEmpty() && readBackLater != state)
            mismatch = "after blocks: " + firstDifference (state, readBackLater);
    }

    ctx.expect (worst <= 0.1f, "parameters restored",
                juce::String (rounds) + " rounds of random values saved, overwritten and restored; largest difference "
                    + juce::String (worst, 5) + (worst <= 0.1f ? juce::String() : ", " + worstDetail));

    ctx.expect (identical == rounds && identicalAfterBlocks == rounds, "state identical after restore",
                juce::String (identical) + "/" + juce::String (rounds) + " read back byte for byte at once, "
                    + juce::String (identicalAfterBlocks) + "/" + juce::String (rounds) + " after processing"
                    + (mismatch.isEmpty() ? juce::String() : "; " + mismatch));
}

void StateChecks::checkUnusableChunks (juce::AudioPluginInstance& plugin)
{
    if (ctx.getKind() != tools::PluginKind::vst3)
    {
        // An LV2 state is the host's own document with the plug-in's data inside a
        // property; a broken one is the host's parser's business, not the plug-in's.
        ctx.skip ("unusable state ignored", "LV2 state is host-side Turtle");
        return;
    }

    const auto parameters = ctx.parametersOf (plugin);
    auto random = ctx.randomFor ("unusable state");
    ctx.setRandomValues (plugin, random);
    ValidationContext::settle (plugin, blockSize);
    const auto before = currentValues (parameters);

    juce::MemoryBlock hostState;
    plugin.getStateInformation (hostState);
    const auto hostXml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), static_cast<int> (hostState.getSize()));
    auto* component = hostXml != nullptr ? hostXml->getChildByName ("IComponent") : nullptr;
    juce::MemoryBlock chunk;

    if (component == nullptr || ! chunk.fromBase64Encoding (component->getAllSubText()))
    {
        ctx.fail ("unusable state ignored", "the VST3 host state has no readable IComponent chunk");
        return;
    }

    juce::MemoryBlock randomBytes (300);

    for (size_t i = 0; i < randomBytes.getSize(); ++i)
        randomBytes[i] = static_cast<char> (random.nextInt (256));

    // Same length as the plug-in's root name, so that the document's header still fits.
    juce::MemoryBlock otherRoot = chunk;
    {
        const juce::String ours ("BrazzleParameterRoot"), theirs ("OtherPluginStateRoot");
        jassert (ours.length() == theirs.length());
        const auto* begin = static_cast<const char*> (otherRoot.getData());
        const auto* end = begin + otherRoot.getSize();
        const auto* found = std::search (begin, end, ours.toRawUTF8(), ours.toRawUTF8() + ours.length());

        if (found != end)
            otherRoot.copyFrom (theirs.toRawUTF8(), static_cast<int> (found - begin), static_cast<size_t> (theirs.length()));
    }

    const std::pair<const char*, juce::MemoryBlock> cases[] = {
        { "empty", juce::MemoryBlock() },
        { "first half", juce::MemoryBlock (chunk.getData(), chunk.getSize() / 2) },
        { "header only", juce::MemoryBlock (chunk.getData(), juce::jmin (chunk.getSize(), size_t { 8 })) },
        { "random bytes", randomBytes },
        { "other plug-in's root", otherRoot },
    };

    for (const auto& [name, bytes] : cases)
    {
        auto* text = component->getFirstChildElement();
        jassert (text != nullptr && text->isTextElement());
        text->setText (bytes.toBase64Encoding());

        juce::MemoryBlock broken;
        juce::AudioProcessor::copyXmlToBinary (*hostXml, broken);
        plugin.setStateInformation (broken.getData(), static_cast<int> (broken.getSize()));
        ValidationContext::settle (plugin, blockSize);

        const auto difference = largestDifference (before, currentValues (parameters));
        ctx.expect (difference < 1.0e-6f, juce::String ("unusable state ignored: ") + name,
                    juce::String (bytes.getSize()) + " bytes in the plug-in's chunk, parameters unchanged (largest difference "
                        + juce::String (difference, 6) + ")");
    }
}
} // namespace brazzle::validator
