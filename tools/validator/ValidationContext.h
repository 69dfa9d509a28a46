#pragma once

#include "PluginHost.h"
#include "PresetHome.h"
#include "ValidationReport.h"

#include <functional>

namespace brazzle::validator
{
struct ValidationOptions
{
    juce::int64 seed = 0;
    bool quick = false;
    bool hasDisplay = false;
    bool vst3LongBlocks = false;
};

/** What every group of checks needs for one format: the host, the bundle, the report
    and the seed, and the few host moves they all make. Everything runs on the message
    thread unless a check starts threads of its own. */
class ValidationContext
{
public:
    ValidationContext (tools::PluginHost& host,
                       tools::PluginKind kind,
                       const juce::File& bundle,
                       const PresetHome& presetHome,
                       ValidationReport& report,
                       const ValidationOptions& options);

    tools::PluginKind getKind() const noexcept { return kind; }
    const ValidationOptions& getOptions() const noexcept { return options; }
    const PresetHome& getPresetHome() const noexcept { return presetHome; }

    /** A new instance, prepared for stereo at the rate and block size; reports a failure under
        the check's name and returns nullptr when it cannot be loaded. */
    std::unique_ptr<juce::AudioPluginInstance> load (const juce::String& check, double sampleRate, int blockSize);

    /** The plug-in's eleven parameters in the order of the parameter table; nullptr for
        any that the host does not show. */
    juce::Array<juce::AudioProcessorParameter*> parametersOf (juce::AudioPluginInstance& plugin) const;

    /** Random numbers for one check, from the run's seed and the check's name, so that a
        check replays the same way whatever ran before it. */
    juce::Random randomFor (const juce::String& check) const;

    static void prepare (juce::AudioPluginInstance& plugin, double sampleRate, int blockSize);

    /** Runs one silent block and lets the message thread work, so that parameter values
        set on the host side reach the plug-in (LV2 sends them with the next block) and
        values the plug-in changed reach the host. */
    static void settle (juce::AudioPluginInstance& plugin, int blockSize);

    /** Settles until the condition holds or the time is up. The time only bounds a
        failure; a pass never depends on how fast the machine is. */
    static bool settleUntil (juce::AudioPluginInstance& plugin, int blockSize, const std::function<bool()>& condition, int timeoutMs = 10000);

    /** Sets every one of the plug-in's parameters to a random legal value; returns them normalised. */
    std::vector<float> setRandomValues (juce::AudioPluginInstance& plugin, juce::Random& random) const;

    static juce::String describeValues (const std::vector<float>& values);

    void pass (const juce::String& check, const juce::String& detail) { report.pass (formatName, check, detail); }
    void fail (const juce::String& check, const juce::String& detail) { report.fail (formatName, check, detail); }
    void skip (const juce::String& check, const juce::String& detail) { report.skip (formatName, check, detail); }
    void expect (bool ok, const juce::String& check, const juce::String& detail) { report.expect (ok, formatName, check, detail); }
    void note (const juce::String& text) { report.note (text); }

    /** The latency the plug-in must report at a rate: its oversampler's, built here the same way. */
    static int expectedLatency (double sampleRate);

private:
    tools::PluginHost& host;
    tools::PluginKind kind;
    juce::File bundle;
    const PresetHome& presetHome;
    ValidationReport& report;
    ValidationOptions options;
    juce::String formatName;
};
} // namespace brazzle::validator
