#include "LifecycleChecks.h"

#include "AudioThread.h"
#include "EditorWindow.h"

namespace brazzle::validator
{
namespace
{
constexpr double rate = 44100.0;
constexpr int blockSize = 512;

// Loading a program restores a state, and the processor ignores program changes
// within 200 ms of the last restore; waiting longer than that between selections
// makes each one count however slow the machine is.
constexpr int programGuardWaitMs = 260;

/** The plug-in's own state document inside the host's VST3 state, as text. */
juce::String pluginDocument (juce::AudioPluginInstance& plugin)
{
    juce::MemoryBlock state;
    plugin.getStateInformation (state);
    const auto xml = juce::AudioProcessor::getXmlFromBinary (state.getData(), static_cast<int> (state.getSize()));
    juce::MemoryBlock chunk;

    if (xml != nullptr)
        if (auto* component = xml->getChildByName ("IComponent"))
            chunk.fromBase64Encoding (component->getAllSubText());

    // The document is the binary header of eight bytes and the XML text.
    if (chunk.getSize() <= 8)
        return {};

    return juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + 8, static_cast<int> (chunk.getSize()) - 8);
}

void waitPastProgramGuard (juce::AudioPluginInstance& plugin)
{
    const auto start = juce::Time::getMillisecondCounter();

    while (juce::Time::getMillisecondCounter() - start < static_cast<juce::uint32> (programGuardWaitMs))
        ValidationContext::settle (plugin, blockSize);
}
} // namespace

void LifecycleChecks::run()
{
    auto plugin = ctx.load ("load", rate, blockSize);

    if (plugin == nullptr)
        return;

    ctx.pass ("load", plugin->getName() + ", " + juce::String (plugin->getTotalNumInputChannels()) + " in / "
                          + juce::String (plugin->getTotalNumOutputChannels()) + " out");

    checkLatencyAndTail (*plugin);
    checkPrograms (*plugin);
    checkEditor (*plugin);
}

void LifecycleChecks::checkLatencyAndTail (juce::AudioPluginInstance& plugin)
{
    // LV2 reports latency through an output port that the host reads after a block.
    const auto expected = ValidationContext::expectedLatency (rate);
    const bool latencyOk = ValidationContext::settleUntil (plugin, blockSize, [&] { return plugin.getLatencySamples() == expected; });
    ctx.expect (latencyOk, "latency", juce::String (plugin.getLatencySamples()) + " samples at 44100 Hz (expected "
                                          + juce::String (expected) + ")");

    const auto tail = plugin.getTailLengthSeconds();
    ctx.expect (tail == 0.0, "tail", juce::String (tail) + " s");
}

void LifecycleChecks::checkPrograms (juce::AudioPluginInstance& plugin)
{
    const auto& presetHome = ctx.getPresetHome();
    const int count = plugin.getNumPrograms();
    const auto drive = tools::PluginHost::findParameter (plugin, ctx.getKind(), "saturator:drive");

    if (ctx.getKind() == tools::PluginKind::lv2)
    {
        // The LV2 wrapper writes the program list into the bundle's manifest when the
        // bundle is built, from the presets of the machine that built it; with none
        // there, it is the one unnamed program the processor reports for an empty list.
        if (count == 1 && plugin.getProgramName (0).isEmpty())
        {
            plugin.setCurrentProgram (0);
            ctx.expect (plugin.getCurrentProgram() == 0, "programs",
                        "1 program, the unnamed one the processor offers without preset files (LV2 fixes the list at build time); "
                        "selected, current program "
                            + juce::String (plugin.getCurrentProgram()));
            return;
        }
    }
    else
    {
        ctx.expect (count == static_cast<int> (presetHome.getPresets().size()), "program count",
                    juce::String (count) + " programs for " + juce::String (presetHome.getPresets().size())
                        + " preset files");
    }

    juce::StringArray names;
    bool namesOk = true;

    for (int i = 0; i < count; ++i)
    {
        names.add (plugin.getProgramName (i));
        namesOk = namesOk && names[i].isNotEmpty();

        if (ctx.getKind() == tools::PluginKind::vst3)
            namesOk = namesOk && presetHome.driveForProgram (names[i]) >= 0.0f;
    }

    ctx.expect (namesOk && count > 0, "program names", "\"" + names.joinIntoString ("\", \"") + "\"");

    // Through VST3 on Linux, the plug-in's JUCE runs its message loop on a thread of its
    // own until the host hands it a run loop, which JUCE 7.0.5's host does only through
    // an open editor's frame (juce_VST3_Wrapper.cpp, EventHandler::registerHandlerForFrame).
    // Until then the wrapper takes the host's message thread for another one and sends
    // parameter changes made there, as a program change makes them, only as the
    // component's output parameter changes of the next block (JuceVST3EditController::
    // paramChanged), and JUCE 7.0.5's host passes those on to the edit controller
    // without updating its own parameters (VST3PluginInstance::processAudio,
    // juce_VST3PluginFormat.cpp). With the editor open, the plug-in's changes reach the
    // host's parameters through performEdit, as in a DAW.
    const bool vst3 = ctx.getKind() == tools::PluginKind::vst3;
    std::unique_ptr<EditorWindow> window;

    if (vst3 && ctx.getOptions().hasDisplay)
        window = std::make_unique<EditorWindow> (plugin);
    else if (vst3 && drive != nullptr)
        ctx.skip ("program values seen by the host",
                  "no display for an editor (JUCE 7.0.5 VST3 wrapper and host on Linux: without an editor's run loop the "
                  "wrapper reports parameter changes made on the host's message thread only as output parameter changes, "
                  "which the host does not apply to its parameters)");

    // The first program is current from the start, and selecting the current one does
    // nothing, so the round goes through the others first and ends on the first.
    for (int step = 1; step <= count; ++step)
    {
        const int index = step % count;
        const auto wantedDrive = presetHome.driveForProgram (names[index]);
        const auto check = "program " + juce::String (index);

        waitPastProgramGuard (plugin);
        plugin.setCurrentProgram (index);

        const bool selected = ValidationContext::settleUntil (plugin, blockSize, [&] { return plugin.getCurrentProgram() == index; });
        const auto document = pluginDocument (plugin);
        const bool loaded = ctx.getKind() != tools::PluginKind::vst3 || document.contains (names[index] + ".xml\"") || document.contains (names[index] + ".xml&quot;");

        ctx.expect (selected && loaded, check,
                    "selected \"" + names[index] + "\": current program " + juce::String (plugin.getCurrentProgram())
                        + (loaded ? ", the plug-in's state names the preset file" : ", the plug-in's state does not name the preset file"));

        if (drive == nullptr || wantedDrive < 0.0f || (vst3 && window == nullptr))
            continue;

        // What the host shows for the parameters after the change, in its automation
        // lanes and generic editors.
        const auto hostDrive = [&] { return drive->getValue() * 36.0f; };
        const bool seen = ValidationContext::settleUntil (plugin, blockSize, [&] { return std::abs (hostDrive() - wantedDrive) < 0.05f; }, 3000);
        ctx.expect (seen, check + " values seen by the host",
                    "drive " + juce::String (hostDrive(), 1) + " in the host, " + juce::String (wantedDrive, 1) + " in the preset"
                        + (window != nullptr ? juce::String (", with the editor open") : juce::String()));
    }
}

void LifecycleChecks::checkEditor (juce::AudioPluginInstance& plugin)
{
    if (! ctx.getOptions().hasDisplay)
    {
        ctx.skip ("editor", "no display (DISPLAY is empty)");
        ctx.skip ("editor while processing", "no display (DISPLAY is empty)");
        return;
    }

    for (int round = 1; round <= 2; ++round)
    {
        juce::Rectangle<int> bounds;
        bool open = false;

        {
            EditorWindow window (plugin);
            open = window.isOpen();
            bounds = window.getEditorBounds();
            juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
        }

        juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
        ctx.expect (open && plugin.getActiveEditor() == nullptr, "editor " + juce::String (round),
                    open ? "opened at " + juce::String (bounds.getWidth()) + "x" + juce::String (bounds.getHeight()) + ", closed"
                         : juce::String ("no editor created"));
    }

    AudioThread audio (plugin, blockSize, ctx.getOptions().seed);
    audio.start();
    bool open = false;

    {
        EditorWindow window (plugin);
        open = window.isOpen();

        for (int wait = 0; wait < 1000 && audio.getBlocksProcessed() < 50; ++wait)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (20);

        juce::MessageManager::getInstance()->runDispatchLoopUntil (300);
    }

    audio.stop();
    ctx.expect (open && audio.getScan().isClean(), "editor while processing",
                juce::String (open ? "opened and closed" : "no editor created") + " while " + juce::String (audio.getBlocksProcessed())
                    + " blocks ran on another thread; " + audio.getScan().describe());
}
} // namespace brazzle::validator
