#include "PluginParameters.h"
#include "WindowTestHelpers.h"

#include <atomic>
#include <thread>

using namespace windowtest;

namespace
{
/** Runs blocks on a thread of its own the way a host's audio callback does, with
    automation of the pad's parameters delivered on that thread now and then.
*/
class AudioThread
{
public:
    explicit AudioThread (BrazzleAudioProcessor& processorToRun)
        : processor (processorToRun),
          thread ([this] { run(); })
    {
    }

    ~AudioThread()
    {
        running.store (false);
        thread.join();
    }

    /** Waits on the message thread, letting its messages run, until more blocks have passed. */
    void waitForBlocks (int count)
    {
        const int target = blocks.load() + count;

        while (blocks.load() < target)
            dispatchMessages (1);
    }

private:
    void run()
    {
        juce::AudioBuffer<float> buffer (2, blockSize);
        juce::MidiBuffer midi;
        juce::Random random (7);
        auto* drive = processor.getParameterTree().getParameter (PluginParameters::saturatorDrive);
        auto* composite = processor.getParameterTree().getParameter (PluginParameters::pmComposite);

        for (int n = 0; running.load(); ++n)
        {
            for (int channel = 0; channel < 2; ++channel)
                for (int i = 0; i < blockSize; ++i)
                    buffer.setSample (channel, i, random.nextFloat() - 0.5f);

            if (n % 4 == 0)
            {
                drive->setValueNotifyingHost (random.nextFloat());
                composite->setValueNotifyingHost (random.nextFloat());
            }

            processor.processBlock (buffer, midi);
            blocks.fetch_add (1);
        }
    }

    static constexpr int blockSize = 64;

    BrazzleAudioProcessor& processor;
    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::thread thread;
};
} // namespace

TEST (EditorLifetime, EditorsComeAndGoWhileAudioRuns)
{
    clearPresetFolders();
    auto processor = makeProcessor();
    processor->prepareToPlay (48000.0, 64);

    {
        AudioThread audio (*processor);

        for (int round = 0; round < 30; ++round)
        {
            auto editor = openEditor (*processor);
            ASSERT_NE (editor, nullptr);
            auto& window = brazzleEditor (editor);

            audio.waitForBlocks (2);

            if (round % 3 == 0)
                renderWindow (window);

            if (round % 5 == 0)
                window.getGraphContainer().waveAnimation.mouseDown (mouseEventAt (window.getGraphContainer().waveAnimation, { 5.0f, 5.0f }));

            editor.reset();

            // Closing must be immediate: the next block must not need the editor.
            audio.waitForBlocks (1);
        }

        // Back to back, without waiting, so that closing meets publications in flight.
        for (int round = 0; round < 30; ++round)
            openEditor (*processor).reset();
    }

    EXPECT_FALSE (processor->getDisplayPublisher().hasReceiver());
    processor->releaseResources();
}

TEST (EditorLifetime, PadParametersChangeOnBothThreadsAtOnceWhileAnEditorIsOpen)
{
    clearPresetFolders();
    auto processor = makeProcessor();
    processor->prepareToPlay (48000.0, 64);

    auto editor = openEditor (*processor);
    ASSERT_NE (editor, nullptr);
    auto& window = brazzleEditor (editor);
    auto& pad = window.getGraphContainer().xyPad;
    auto& drive = parameter (*processor, PluginParameters::saturatorDrive);
    auto& composite = parameter (*processor, PluginParameters::pmComposite);

    {
        AudioThread audio (*processor);
        juce::Random random (11);

        for (int round = 0; round < 120; ++round)
        {
            // Host automation on the message thread, and the user dragging the puck.
            if (round % 2 == 0)
            {
                drive.setValueNotifyingHost (random.nextFloat());
                composite.setValueNotifyingHost (random.nextFloat());
            }
            else
            {
                const juce::Point<float> to (random.nextFloat() * static_cast<float> (pad.getWidth()),
                                             random.nextFloat() * static_cast<float> (pad.getHeight()));
                pad.mouseDown (mouseEventAt (pad, to));
                pad.mouseDrag (mouseEventAt (pad, to));
                pad.mouseUp (mouseEventAt (pad, to));
            }

            if (round % 10 == 0)
                renderWindow (window);

            audio.waitForBlocks (1);
        }
    }

    dispatchMessages();

    // With both threads quiet and the deferred pushes handled, the puck shows the values.
    const auto& tree = processor->getParameterTree();
    const auto driveShown = tree.getParameterRange (PluginParameters::saturatorDrive)
                                .convertTo0to1 (plain (*processor, PluginParameters::saturatorDrive));
    const auto compositeShown = tree.getParameterRange (PluginParameters::pmComposite)
                                    .convertTo0to1 (plain (*processor, PluginParameters::pmComposite));
    EXPECT_EQ (pad.xPosition, static_cast<int> (driveShown * static_cast<float> (pad.getWidth())));
    EXPECT_EQ (pad.yPosition, pad.getHeight() - static_cast<int> (compositeShown * static_cast<float> (pad.getHeight())));

    editor.reset();
    processor->releaseResources();
}
