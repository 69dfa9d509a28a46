#include "ConcurrencyChecks.h"

#include "AudioThread.h"
#include "EditorWindow.h"

#include <thread>

namespace brazzle::validator
{
namespace
{
constexpr int blockSize = 256;

void pumpMessagesUntil (const std::function<bool()>& done)
{
    while (! done())
        juce::MessageManager::getInstance()->runDispatchLoopUntil (10);
}
} // namespace

void ConcurrencyChecks::run()
{
    checkStateFromBackgroundThread();
    checkParametersWhileProcessing();
}

void ConcurrencyChecks::checkStateFromBackgroundThread()
{
    const juce::String check ("state from a background thread");
    auto plugin = ctx.load (check, 48000.0, blockSize);

    if (plugin == nullptr)
        return;

    auto random = ctx.randomFor (check);
    juce::MemoryBlock states[2];

    for (auto& state : states)
    {
        ctx.setRandomValues (*plugin, random);
        ValidationContext::settle (*plugin, blockSize);
        plugin->getStateInformation (state);
    }

    const int restores = ctx.getOptions().quick ? 20 : 200;
    std::unique_ptr<EditorWindow> window;

    if (ctx.getOptions().hasDisplay)
        window = std::make_unique<EditorWindow> (*plugin);

    AudioThread audio (*plugin, blockSize, random.nextInt64());
    audio.start();

    std::atomic<int> restored { 0 };
    const bool lv2 = ctx.getKind() == tools::PluginKind::lv2;
    std::thread background ([&]
    {
        for (int i = 0; i < restores; ++i)
        {
            const auto& state = states[i % 2];

            // JUCE's VST3 host takes the message manager's lock itself for state
            // calls; its LV2 host expects the caller to be on the message thread, so
            // a DAW built on it would take the same lock.
            std::unique_ptr<juce::MessageManagerLock> lock;

            if (lv2)
                lock = std::make_unique<juce::MessageManagerLock>();

            plugin->setStateInformation (state.getData(), static_cast<int> (state.getSize()));
            lock.reset();
            ++restored;
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    });

    pumpMessagesUntil ([&] { return restored.load() >= restores; });
    background.join();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);

    const bool editorOpen = window == nullptr || window->isOpen();
    window.reset();
    audio.stop();

    juce::MemoryBlock last;
    plugin->getStateInformation (last);

    const bool lastKept = last == states[(restores - 1) % 2];

    ctx.expect (audio.getScan().isClean() && editorOpen && audio.getBlocksProcessed() > 0, check,
                juce::String (restores) + " restores from another thread while "
                    + (ctx.getOptions().hasDisplay ? "the editor was open and " : "(no display, so no editor) ")
                    + juce::String (audio.getBlocksProcessed()) + " blocks ran on the audio thread; " + audio.getScan().describe()
                    + "; state read afterwards " + (lastKept ? "equals" : "differs from") + " the last one restored");
}

void ConcurrencyChecks::checkParametersWhileProcessing()
{
    const juce::String check ("parameters changed while processing");
    auto plugin = ctx.load (check, 48000.0, blockSize);

    if (plugin == nullptr)
        return;

    auto random = ctx.randomFor (check);
    AudioThread audio (*plugin, blockSize, random.nextInt64());
    audio.start();

    // Counted, not timed: the outcome must not depend on how busy the machine is.
    const int changes = ctx.getOptions().quick ? 300 : 3000;
    const int blocksWanted = ctx.getOptions().quick ? 100 : 1000;
    int made = 0;

    while (made < changes || audio.getBlocksProcessed() < blocksWanted)
    {
        for (auto* p : ctx.parametersOf (*plugin))
            if (p != nullptr)
                p->setValueNotifyingHost (random.nextFloat());

        ++made;
        juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
    }

    audio.stop();
    ctx.expect (audio.getScan().isClean(), check,
                juce::String (made) + " rounds of all parameters set on the message thread while "
                    + juce::String (audio.getBlocksProcessed()) + " blocks ran; " + audio.getScan().describe());
}
} // namespace brazzle::validator
