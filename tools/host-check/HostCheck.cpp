// Loads the built VST3 and LV2 through JUCE's hosting and checks the description a
// host gets: identity, layouts, latency per sample rate, bypass, MIDI, tail, the
// eleven parameters and the AAX plug-in IDs derived for the accepted layouts.
// Exits non-zero on any mismatch.

#include "PluginHost.h"

#include <juce_dsp/juce_dsp.h>

#include <iostream>

namespace
{
using brazzle::tools::PluginKind;
using brazzle::tools::describe;
using brazzle::tools::layoutOf;

struct ExpectedParameter
{
    const char* id;
    const char* name;
    bool automatable;
    bool discrete;
    // Text at the default, the minimum and the maximum: through the plug-in's own
    // conversions (VST3), and as LV2 hosts show them, which is the plain value in the
    // parameter's range (LV2 carries no text conversion, only labels of discrete values).
    const char* vst3Text[3];
    const char* lv2Text[3];
};

constexpr ExpectedParameter expectedParameters[] = {
    { "crossover:bypass", "Crossover Bypass", true, false, { "0", "0", "1" }, { "0", "0", "1" } },
    { "crossover:cutoff", "Crossover Cutoff", false, false, { "1800Hz", "200Hz", "16000Hz" }, { "1800", "200", "16000" } },
    { "crossover:band", "Target Band", true, false, { "0", "0", "1" }, { "0", "0", "1" } },
    { "saturator:tone", "Tone", true, false, { "0W", "50W", "50B" }, { "0.5", "0", "1" } },
    { "saturator:type", "Curve Shape", true, true, { "PASS", "PASS", "FOLDBACK" }, { "PASS", "PASS", "FOLDBACK" } },
    { "saturator:drive", "Drive Amount", true, false, { "0.0", "0.0", "36.0" }, { "0", "0", "36" } },
    { "pm:composite", "Phase Amount", true, false, { "0.000", "0.000", "1.000" }, { "0", "0", "1" } },
    { "pm:spread", "Spread", true, false, { "C0.0ms", "L4.0ms", "R4.0ms" }, { "0", "-4", "4" } },
    { "global:agc", "Auto Gain Compensation", true, false, { "0", "0", "1" }, { "0", "0", "1" } },
    { "global:outputGain", "Output Gain", true, false, { "0.0dB", "-24.0dB", "24.0dB" }, { "0", "-24", "24" } },
    { "global:mix", "Output Mix", true, false, { "100%", "0%", "100%" }, { "1", "0", "1" } },
};

juce::String hostIdentifier (PluginKind kind, const juce::String& id)
{
    return brazzle::tools::PluginHost::hostIdentifier (kind, id);
}

class Checker
{
public:
    void expect (bool ok, const juce::String& what)
    {
        std::cout << (ok ? "  ok    " : "  FAIL  ") << what << "\n";
        failures += ok ? 0 : 1;
    }

    template <typename T>
    void expectEqual (const T& actual, const T& expected, const juce::String& what)
    {
        const bool ok = actual == expected;
        expect (ok, what + ": " + juce::String (juce::var (actual).toString())
                        + (ok ? juce::String() : " (expected " + juce::String (juce::var (expected).toString()) + ")"));
    }

    int failures = 0;
};

juce::String fourCharacters (juce::int32 code)
{
    juce::String text;

    for (int shift = 24; shift >= 0; shift -= 8)
        text << static_cast<char> ((code >> shift) & 0xff);

    return text;
}


int expectedLatency (double sampleRate)
{
    const int order = sampleRate < 50000.0 ? 2 : (sampleRate < 100000.0 ? 1 : 0);
    juce::dsp::Oversampling<float> reference (2, static_cast<size_t> (order),
                                              juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, false);
    reference.initProcessing (512);
    return static_cast<int> (reference.getLatencyInSamples());
}

void checkLayouts (Checker& check, juce::AudioPluginInstance& plugin, PluginKind kind)
{
    using Set = juce::AudioChannelSet;

    struct Case
    {
        Set in, out;
        bool accepted;
    };

    // An LV2 plug-in's ports are fixed in its manifest, so the LV2 wrapper can only
    // offer the default stereo layout; mono is a VST3 (and AAX) affair. VST3 lets a
    // host deactivate any bus, and JUCE's wrapper accepts that whatever the processor
    // says (the processor then sees silence on the missing input), so a disabled
    // input is refused by the processor itself but accepted through VST3.
    const bool monoOffered = kind == PluginKind::vst3;
    const bool inputDeactivationAccepted = kind == PluginKind::vst3;

    const Case cases[] = {
        { Set::mono(), Set::mono(), monoOffered },
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), false },
        { Set::stereo(), Set::mono(), false },
        { Set::create5point1(), Set::create5point1(), false },
        { Set::disabled(), Set::stereo(), inputDeactivationAccepted },
    };

    for (const auto& c : cases)
    {
        const bool accepted = plugin.checkBusesLayoutSupported (layoutOf (c.in, c.out));
        check.expect (accepted == c.accepted,
                      "layout " + describe (c.in) + " -> " + describe (c.out) + ": "
                          + (accepted ? "accepted" : "refused"));
    }
}

void checkLatencies (Checker& check, juce::AudioPluginInstance& plugin)
{
    for (const double rate : { 44100.0, 48000.0, 88200.0, 96000.0, 192000.0 })
    {
        plugin.setRateAndBufferSizeDetails (rate, 512);
        plugin.prepareToPlay (rate, 512);

        // Some wrappers report latency through an output port that is only read
        // after a block has run.
        juce::AudioBuffer<float> buffer (juce::jmax (plugin.getTotalNumInputChannels(),
                                                     plugin.getTotalNumOutputChannels()),
                                         512);
        buffer.clear();
        juce::MidiBuffer midi;
        plugin.processBlock (buffer, midi);
        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);

        check.expectEqual (plugin.getLatencySamples(), expectedLatency (rate),
                           "latency at " + juce::String (rate, 0) + " Hz (samples)");
        plugin.releaseResources();
    }
}

juce::String idOf (juce::AudioProcessorParameter* p)
{
    if (auto* withId = dynamic_cast<juce::HostedAudioProcessorParameter*> (p))
        return withId->getParameterID();

    return {};
}

void checkParameters (Checker& check, juce::AudioPluginInstance& plugin, PluginKind kind)
{
    juce::Array<juce::AudioProcessorParameter*> parameters;

    for (auto* p : plugin.getParameters())
        if (p != plugin.getBypassParameter())
            parameters.add (p);

    constexpr auto expectedCount = static_cast<int> (std::size (expectedParameters));
    check.expectEqual (parameters.size(), expectedCount, "parameters (without the bypass)");

    // VST3 keeps the plug-in's order. LV2 parameters are properties of the plug-in
    // with no order of their own, so they are matched by identifier there.
    for (int i = 0; i < expectedCount; ++i)
    {
        const auto& expected = expectedParameters[i];
        const auto hostId = hostIdentifier (kind, expected.id);
        const auto prefix = juce::String (i + 1) + " " + expected.id + ": ";
        juce::AudioProcessorParameter* p = nullptr;

        if (kind == PluginKind::vst3)
            p = parameters[i];
        else
            for (auto* candidate : parameters)
                if (idOf (candidate) == hostId)
                    p = candidate;

        if (p == nullptr)
        {
            check.expect (false, prefix + "missing");
            continue;
        }

        check.expectEqual (idOf (p), hostId, prefix + "host identifier");
        check.expectEqual (p->getName (64), juce::String (expected.name), prefix + "name");
        check.expectEqual (p->isDiscrete(), expected.discrete, prefix + "discrete");

        // LV2 has no notion of a parameter that must not be automated.
        if (kind == PluginKind::vst3)
            check.expectEqual (p->isAutomatable(), expected.automatable, prefix + "automatable");

        const auto& texts = kind == PluginKind::vst3 ? expected.vst3Text : expected.lv2Text;
        check.expectEqual (p->getText (p->getDefaultValue(), 64), juce::String (texts[0]), prefix + "text at default");
        check.expectEqual (p->getText (0.0f, 64), juce::String (texts[1]), prefix + "text at minimum");
        check.expectEqual (p->getText (1.0f, 64), juce::String (texts[2]), prefix + "text at maximum");

        // Hosts only learn step counts of discrete parameters; the others are continuous to them.
        if (expected.discrete)
            check.expectEqual (p->getNumSteps(), 6, prefix + "steps");
        else
            std::cout << "        steps " << p->getNumSteps() << " (continuous to the host), label \""
                      << p->getLabel() << "\"\n";
    }
}

int checkPlugin (brazzle::tools::PluginHost& host, PluginKind kind, const juce::File& bundle)
{
    Checker check;
    std::cout << toString (kind) << ": " << bundle.getFullPathName() << "\n";

    juce::String error;
    auto plugin = host.load (kind, bundle, 44100.0, 512, error);

    if (plugin == nullptr)
    {
        check.expect (false, "load: " + error);
        return check.failures;
    }

    const auto& description = host.getDescription();
    check.expectEqual (description.name, juce::String ("Brazzle"), "name");
    check.expectEqual (plugin->getName(), juce::String ("Brazzle"), "instance name");
    check.expectEqual (description.manufacturerName, juce::String ("Quorvale"), "manufacturer");
    if (kind == PluginKind::vst3)
    {
        check.expectEqual (description.version, juce::String ("1.2.1"), "version");
    }
    else
    {
        // JUCE's LV2 host does not read the release from the manifest; check it there.
        const auto manifest = bundle.getChildFile ("dsp.ttl").loadFileAsString();
        check.expect (manifest.contains ("doap:revision \"1.2.1\"") && manifest.contains ("lv2:minorVersion 2 ;")
                          && manifest.contains ("lv2:microVersion 1 ;"),
                      "version: 1.2.1 in the bundle's manifest");
    }
    check.expect (! description.isInstrument, "not an instrument");
    std::cout << "        category \"" << description.category << "\", identifier " << description.fileOrIdentifier
              << ", unique id " << juce::String::toHexString (description.uniqueId) << "\n";

    checkLayouts (check, *plugin, kind);

    check.expectEqual (plugin->acceptsMidi(), false, "accepts MIDI");
    check.expectEqual (plugin->producesMidi(), false, "produces MIDI");
    check.expectEqual (plugin->isMidiEffect(), false, "MIDI effect");
    check.expectEqual (plugin->getTailLengthSeconds(), 0.0, "tail (s)");
    check.expect (plugin->hasEditor(), "has an editor");

    if (auto* bypass = plugin->getBypassParameter())
        check.expect (true, "bypass parameter \"" + bypass->getName (64) + "\" added by the wrapper");
    else
        check.expect (kind == PluginKind::lv2, "bypass parameter: none");

    checkParameters (check, *plugin, kind);
    checkLatencies (check, *plugin);

    using Set = juce::AudioChannelSet;
    const std::pair<Set, juce::int32> aaxLayouts[] = {
        { Set::mono(), 0x6a636161 + 0x0101 },
        { Set::stereo(), 0x6a636161 + 0x0202 },
    };

    for (const auto& [set, nativeId] : aaxLayouts)
    {
        const auto native = plugin->getAAXPluginIDForMainBusConfig (set, set, false);
        const auto offline = plugin->getAAXPluginIDForMainBusConfig (set, set, true);
        check.expect (native == nativeId && offline == nativeId - 0x6a636161 + 0x6a796161,
                      "AAX plug-in IDs for " + set.getDescription() + ": native '" + fourCharacters (native)
                          + "' (0x" + juce::String::toHexString (native) + "), AudioSuite '"
                          + fourCharacters (offline) + "' (0x" + juce::String::toHexString (offline) + ")");
    }

    std::cout << "  AAX identity carried by this build: manufacturer 'Qrvl', product 'Bzzl', category 0, "
                 "bypass through the wrapper's master bypass\n";
    return check.failures;
}

void printUsage()
{
    std::cout << "usage: brazzle-host-check [--vst3 PATH/Brazzle.vst3] [--lv2 PATH/Brazzle.lv2]\n";
}
} // namespace

int main (int argc, char* argv[])
{
    juce::ScopedJuceInitialiser_GUI juce;

    std::vector<std::pair<PluginKind, juce::File>> targets;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String arg (argv[i]);

        if ((arg == "--vst3" || arg == "--lv2") && i + 1 < argc)
            targets.emplace_back (arg == "--vst3" ? PluginKind::vst3 : PluginKind::lv2,
                                  juce::File::getCurrentWorkingDirectory().getChildFile (argv[++i]));
        else
        {
            printUsage();
            return 2;
        }
    }

    if (targets.empty())
    {
        printUsage();
        return 2;
    }

    brazzle::tools::PluginHost host;
    int failures = 0;

    for (const auto& [kind, bundle] : targets)
        failures += checkPlugin (host, kind, bundle);

    std::cout << (failures == 0 ? "host check passed" : "host check FAILED: " + std::to_string (failures) + " mismatches")
              << "\n";
    return failures == 0 ? 0 : 1;
}
