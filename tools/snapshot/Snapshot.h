#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <vector>

class BrazzleAudioProcessor;
class BrazzleLookAndFeel;

/** Headless pictures of the editor's parts, painted into images without a display. */
namespace snapshot
{
constexpr int windowWidth = 911;
constexpr int windowHeight = 459;

/** A picture the tool can take in either skin; the name becomes the file name's stem.
    A picture that looks the same in both skins is taken once, without a skin suffix.
*/
struct Scene
{
    juce::String name;
    std::function<juce::Image (BrazzleAudioProcessor&, bool dark, float scale)> render;
    bool dependsOnSkin = true;
};

/** Every scene, in the order the tool writes them. */
std::vector<Scene> getScenes();

/** Writes the skin flag into the processor's state, as the editor's Skin button does. */
void setSkin (BrazzleAudioProcessor&, bool dark);

/** Sets every control to a value away from its default, so that each one shows something. */
void applyShowcaseSettings (BrazzleAudioProcessor&);

/** Paints the window background the way the editor does: the look and feel's fill, then
    the skin's artwork stretched over the whole area.
*/
void paintWindowBackground (juce::Graphics&, const BrazzleLookAndFeel&, juce::Rectangle<int> area);

/** The slider panel at its place in a window-sized image over the background, in the skin
    that the processor's state asks for. The amount labels show the parameters they stand for.
*/
juce::Image renderSliderPanel (BrazzleAudioProcessor&, float scale);

/** The whole editor window in the skin that the processor's state asks for, after a few
    blocks of a sine have been processed and a few frames painted, so that the wave
    display and the particles around the pad's puck are in motion. With the help page
    shown if asked for.
*/
juce::Image renderEditor (BrazzleAudioProcessor&, float scale, bool withHelpPage);

/** Paints a component and its children into a new image of its size times the scale. */
juce::Image renderComponent (juce::Component&, float scale);

bool writePng (const juce::Image&, const juce::File&);
} // namespace snapshot
