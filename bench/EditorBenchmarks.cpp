// The cost of drawing the editor: one whole frame of the window (wave display, XY pad
// with its particles, knobs, labels, preset bar and background) painted with the
// software renderer into an image at 911 × 459, and its parts on their own. The
// animated views repaint about 30 times a second; between frames the pad's parameters
// move as automation would move them, outside the timing. Frames are timed in the painting
// thread's CPU time, so that other work on a busy machine does not count; the counter
// "median_ms" is the median time of one frame.

#include "BrazzleAudioProcessor.h"
#include "BrazzleAudioProcessorEditor.h"
#include "PluginParameters.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <vector>

namespace
{
void setPlain (BrazzleAudioProcessor& processor, const char* id, float value)
{
    auto* parameter = processor.getParameterTree().getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

/** Settings that make every part draw something, and blocks of a sine so that the wave
    display has display values to draw with. */
void prepareScene (BrazzleAudioProcessor& processor)
{
    setPlain (processor, PluginParameters::saturatorType, 2.0f);
    setPlain (processor, PluginParameters::saturatorDrive, 14.4f);
    setPlain (processor, PluginParameters::pmComposite, 0.62f);
    setPlain (processor, PluginParameters::pmSpread, 1.5f);
    setPlain (processor, PluginParameters::globalMix, 0.8f);

    constexpr int blockSize = 480;
    processor.prepareToPlay (48000.0, blockSize);
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer midi;

    for (int block = 0; block < 10; ++block)
    {
        for (int i = 0; i < blockSize; ++i)
        {
            const auto sample = static_cast<float> (0.4 * std::sin (0.0288 * (block * blockSize + i)));
            buffer.setSample (0, i, sample);
            buffer.setSample (1, i, sample);
        }

        processor.processBlock (buffer, midi);
    }
}

double threadSeconds()
{
    timespec now {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double> (now.tv_sec) + 1.0e-9 * static_cast<double> (now.tv_nsec);
}

int differingPixels (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                ++count;

    return count;
}

/** True when each animated view that the painted part contains draws something else
    in the next frame, so that the frames measured are not a still picture.
*/
template <typename Paint, typename Step>
bool animatedViewsChange (const juce::Image& frame, juce::Component& target, GraphContainerComponent& graph,
                          Paint&& paint, Step&& step)
{
    const auto before = frame.createCopy();
    step();
    paint();

    for (auto* view : { static_cast<juce::Component*> (&graph.waveAnimation), static_cast<juce::Component*> (&graph.xyPad) })
    {
        if (view != &target && ! target.isParentOf (view))
            continue;

        const auto area = target.getLocalArea (view, view->getLocalBounds()).getIntersection (frame.getBounds());

        if (area.isEmpty() || differingPixels (before, frame, area) == 0)
            return false;
    }

    return true;
}

enum class Part
{
    wholeWindow,
    windowBackground,
    waveDisplay,
    xyPad,
    controlPanel,
    presetBar
};

void paintFrames (benchmark::State& state, Part part, bool dark)
{
    juce::ScopedJuceInitialiser_GUI gui;
    BrazzleAudioProcessor processor;
    processor.getParameterTree().state.setProperty ("darkMode", dark, nullptr);

    BrazzleAudioProcessorEditor editor (processor, processor.getParameterTree());
    prepareScene (processor);

    auto& graph = editor.getGraphContainer();
    juce::Component* target = &editor;

    switch (part)
    {
        case Part::wholeWindow:
        case Part::windowBackground: target = &editor; break;
        case Part::waveDisplay: target = &graph.waveAnimation; break;
        case Part::xyPad: target = &graph.xyPad; break;
        case Part::controlPanel: target = &editor.getSliderPanel(); break;
        case Part::presetBar: target = &editor.getPresetBrowser(); break;
    }

    juce::Image frame (juce::Image::ARGB, target->getWidth(), target->getHeight(), true, juce::SoftwareImageType());

    const auto paint = [&]
    {
        juce::Graphics g (frame);

        if (part == Part::windowBackground)
            editor.paint (g);
        else
            target->paintEntireComponent (g, true);
    };

    // Like slow automation of the pad's two parameters: the puck circles, so that the
    // particles round it keep moving instead of settling after a few hundred frames.
    auto* drive = processor.getParameterTree().getParameter (PluginParameters::saturatorDrive);
    auto* composite = processor.getParameterTree().getParameter (PluginParameters::pmComposite);
    int frameNumber = 0;

    const auto movePuck = [&]
    {
        const auto angle = 0.07 * static_cast<double> (frameNumber++);
        drive->setValueNotifyingHost (static_cast<float> (0.4 + 0.06 * std::cos (angle)));
        composite->setValueNotifyingHost (static_cast<float> (0.62 + 0.12 * std::sin (angle)));
    };

    // Let the display gain settle and the particles round the puck start moving.
    for (int i = 0; i < 10; ++i)
    {
        movePuck();
        paint();
    }

    if (part != Part::windowBackground && ! animatedViewsChange (frame, *target, graph, paint, movePuck))
    {
        state.SkipWithError ("the wave display or the XY pad did not change between two frames");
        return;
    }

    std::vector<double> milliseconds;
    milliseconds.reserve (4096);

    for (auto _ : state)
    {
        movePuck();
        const auto start = threadSeconds();
        paint();
        const auto elapsed = threadSeconds() - start;

        state.SetIterationTime (elapsed);
        milliseconds.push_back (elapsed * 1000.0);
        benchmark::DoNotOptimize (frame.getPixelAt (target->getWidth() / 2, target->getHeight() / 2));
    }

    std::sort (milliseconds.begin(), milliseconds.end());

    if (! milliseconds.empty())
    {
        state.counters["median_ms"] = milliseconds[milliseconds.size() / 2];
        state.counters["p90_ms"] = milliseconds[milliseconds.size() * 9 / 10];
        state.counters["frames"] = static_cast<double> (milliseconds.size());
    }

    const auto label = juce::String (target->getWidth()) + "x" + juce::String (target->getHeight())
                     + (dark ? ", dark skin" : ", light skin");
    state.SetLabel (label.toRawUTF8());
    processor.releaseResources();
}

void wholeWindow (benchmark::State& state) { paintFrames (state, Part::wholeWindow, state.range (0) != 0); }
void windowBackground (benchmark::State& state) { paintFrames (state, Part::windowBackground, false); }
void waveDisplay (benchmark::State& state) { paintFrames (state, Part::waveDisplay, false); }
void xyPad (benchmark::State& state) { paintFrames (state, Part::xyPad, false); }
void controlPanel (benchmark::State& state) { paintFrames (state, Part::controlPanel, false); }
void presetBar (benchmark::State& state) { paintFrames (state, Part::presetBar, false); }
} // namespace

BENCHMARK (wholeWindow)->ArgName ("dark")->Arg (0)->Arg (1)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (2.0);
BENCHMARK (windowBackground)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (1.0);
BENCHMARK (waveDisplay)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (1.0);
BENCHMARK (xyPad)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (1.0);
BENCHMARK (controlPanel)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (1.0);
BENCHMARK (presetBar)->UseManualTime()->Unit (benchmark::kMillisecond)->MinTime (1.0);

BENCHMARK_MAIN();
