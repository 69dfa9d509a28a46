#include "BrazzleLookAndFeel.h"
#include "ParticleXYValueSource.h"
#include "PluginParameters.h"
#include "WindowTestHelpers.h"

#include <BinaryData.h>

using namespace windowtest;

namespace
{
class EditorWindow : public ::testing::Test
{
protected:
    void SetUp() override { clearPresetFolders(); }

    void TearDown() override
    {
        editor.reset();
        processor.reset();
    }

    BrazzleAudioProcessorEditor& open()
    {
        editor = openEditor (*processor);
        return brazzleEditor (editor);
    }

    juce::DrawableButton& button (const juce::String& buttonName)
    {
        auto* found = findChild<juce::DrawableButton> (*editor, buttonName);
        EXPECT_NE (found, nullptr) << buttonName;
        return *found;
    }

    /** Clicks a button the way the framework delivers a click, through the message queue. */
    void click (juce::Button& target)
    {
        target.triggerClick();
        dispatchMessages();
    }

    void clickWaveDisplay()
    {
        auto& wave = brazzleEditor (editor).getGraphContainer().waveAnimation;
        wave.mouseDown (mouseEventAt (wave, { 100.0f, 100.0f }));
    }

    bool helpShowing() { return brazzleEditor (editor).getHelpPage().isVisible(); }

    BrazzleLookAndFeel& lookAndFeel()
    {
        auto* found = dynamic_cast<BrazzleLookAndFeel*> (&editor->getLookAndFeel());
        EXPECT_NE (found, nullptr);
        return *found;
    }

    juce::var darkMode() { return processor->getParameterTree().state.getProperty ("darkMode"); }

    std::unique_ptr<BrazzleAudioProcessor> processor = makeProcessor();
    EditorPtr editor;
};

juce::Rectangle<int> boundsInWindow (juce::Component& child, juce::Component& window)
{
    return window.getLocalArea (&child, child.getLocalBounds());
}

/** Mean absolute difference of the colour channels over two images of one size. */
double meanDifference (const juce::Image& a, const juce::Image& b)
{
    double sum = 0.0;

    for (int y = 0; y < a.getHeight(); ++y)
    {
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto p = a.getPixelAt (x, y);
            const auto q = b.getPixelAt (x, y);
            sum += std::abs (p.getRed() - q.getRed()) + std::abs (p.getGreen() - q.getGreen())
                 + std::abs (p.getBlue() - q.getBlue());
        }
    }

    return sum / (3.0 * a.getWidth() * a.getHeight());
}

juce::Image crop (const juce::Image& image, juce::Rectangle<int> area)
{
    return image.getClippedImage (area).createCopy();
}

int countPixelsNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour, int tolerance)
{
    int count = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto p = image.getPixelAt (x, y);

            if (std::abs (p.getRed() - colour.getRed()) <= tolerance && std::abs (p.getGreen() - colour.getGreen()) <= tolerance
                && std::abs (p.getBlue() - colour.getBlue()) <= tolerance)
                ++count;
        }

    return count;
}
} // namespace

TEST_F (EditorWindow, OpensAtItsFixedSizeWithEveryPartInPlace)
{
    auto& window = open();

    EXPECT_EQ (window.getWidth(), 911);
    EXPECT_EQ (window.getHeight(), 459);
    EXPECT_FALSE (window.isResizable());

    auto& graph = window.getGraphContainer();
    const std::pair<juce::Component*, juce::Rectangle<int>> places[] = {
        { &graph, { 0, 42, 911, 241 } },
        { &graph.waveAnimation, { 0, 42, 379, 241 } },
        { &graph.xyPad, { 379, 42, 532, 241 } },
        { &window.getSliderPanel(), { 0, 283, 911, 162 } },
        { &window.getPresetBrowser(), { 480, 10, 340, 24 } },
        { &window.getHelpPage(), { 0, 0, 911, 459 } },
        { &button ("Help"), { 880, 9, 24, 26 } },
        { &button ("Skin"), { 854, 9, 24, 26 } },
    };

    for (const auto& [component, expected] : places)
        EXPECT_EQ (boundsInWindow (*component, window), expected) << component->getName();

    const auto& children = window.getChildren();
    ASSERT_EQ (children.size(), 6);
    EXPECT_EQ (children[0], &window.getPresetBrowser());
    EXPECT_EQ (children[1], &graph);
    EXPECT_EQ (children[2], &window.getSliderPanel());
    EXPECT_EQ (children[3], &button ("Skin"));
    EXPECT_EQ (children[4], &button ("Help"));
    EXPECT_EQ (children[5], &window.getHelpPage()) << "the help page lies above everything";

    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE (children[i]->isVisible());

    EXPECT_FALSE (window.getHelpPage().isVisible());
    EXPECT_TRUE (window.getHelpPage().isAlwaysOnTop());
}

TEST_F (EditorWindow, HelpButtonShowsTheHelpPageOverTheWholeWindow)
{
    auto& window = open();
    click (button ("Help"));

    ASSERT_TRUE (helpShowing());
    EXPECT_FALSE (window.getGraphContainer().isVisible());
    EXPECT_FALSE (window.getPresetBrowser().isVisible());
    EXPECT_FALSE (button ("Help").isVisible());
    EXPECT_TRUE (window.getSliderPanel().isVisible());
    EXPECT_TRUE (button ("Skin").isVisible());

    // The page is opaque and covers everything, stretched from twice the window's size.
    const auto page = juce::ImageCache::getFromMemory (BinaryData::help_overlay_png, BinaryData::help_overlay_pngSize);
    juce::Image expected (juce::Image::ARGB, 911, 459, true);
    {
        juce::Graphics g (expected);
        g.drawImage (page, { 0.0f, 0.0f, 911.0f, 459.0f }, juce::RectanglePlacement::stretchToFit);
    }

    const auto shown = renderWindow (window);
    EXPECT_LT (meanDifference (shown, expected), 2.0);

    for (const auto area : { juce::Rectangle<int> (0, 0, 455, 229), { 455, 229, 456, 230 }, { 0, 229, 455, 230 } })
        EXPECT_LT (meanDifference (crop (shown, area), crop (expected, area)), 3.0) << area.toString();
}

TEST_F (EditorWindow, EscapeOrAPressOnTheWindowHidesTheHelpPageAndNoKeyIsConsumed)
{
    auto& window = open();

    const auto showHelp = [&]
    {
        click (button ("Help"));
        ASSERT_TRUE (helpShowing());
    };

    const auto expectHelpHidden = [&]
    {
        EXPECT_FALSE (helpShowing());
        EXPECT_TRUE (window.getGraphContainer().isVisible());
        EXPECT_TRUE (window.getPresetBrowser().isVisible());
        EXPECT_TRUE (button ("Help").isVisible());
    };

    EXPECT_FALSE (window.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    expectHelpHidden();

    showHelp();

    for (const auto& other : { juce::KeyPress ('a'), juce::KeyPress (juce::KeyPress::returnKey),
                               juce::KeyPress (juce::KeyPress::spaceKey), juce::KeyPress ('h', juce::ModifierKeys::commandModifier, 0) })
    {
        EXPECT_FALSE (window.keyPressed (other)) << other.getTextDescription();
        EXPECT_TRUE (helpShowing()) << other.getTextDescription();
    }

    EXPECT_FALSE (window.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    expectHelpHidden();

    showHelp();
    window.mouseDown (mouseEventAt (window, { 300.0f, 150.0f }));
    expectHelpHidden();

    window.mouseDown (mouseEventAt (window, { 300.0f, 150.0f }));
    expectHelpHidden();
}

TEST_F (EditorWindow, ClicksPassThroughTheHelpPage)
{
    auto& window = open();
    window.setVisible (true);
    click (button ("Help"));
    ASSERT_TRUE (helpShowing());

    // The header beside the buttons, the graph band and the bottom strip are the window's own.
    for (const auto point : { juce::Point<int> (200, 20), { 300, 150 }, { 700, 200 }, { 450, 452 } })
        EXPECT_EQ (window.getComponentAt (point), &window) << point.toString();

    EXPECT_EQ (window.getComponentAt (866, 22), &button ("Skin"));

    auto* knob = window.getComponentAt (76, 380);
    ASSERT_NE (knob, nullptr);
    EXPECT_NE (dynamic_cast<juce::Slider*> (knob), nullptr);
    EXPECT_TRUE (window.getSliderPanel().isParentOf (knob));

    click (button ("Skin"));
    EXPECT_TRUE (helpShowing()) << "operating a control beneath leaves the page open";
}

TEST_F (EditorWindow, OpensInTheSkinTheStateAsksFor)
{
    const std::pair<juce::var, bool> cases[] = {
        { juce::var(), false }, { juce::var (true), true }, { juce::var (false), false },
    };

    for (const auto& [flag, dark] : cases)
    {
        SCOPED_TRACE (flag.toString());
        editor.reset();

        if (flag.isVoid())
            processor->getParameterTree().state.removeProperty ("darkMode", nullptr);
        else
            processor->getParameterTree().state.setProperty ("darkMode", flag, nullptr);

        open();
        EXPECT_EQ (lookAndFeel().darkSkin, dark);
        EXPECT_EQ (lookAndFeel().backgroundColour, juce::Colour (dark ? 0xff3f4243 : 0xff151617));
        EXPECT_EQ (lookAndFeel().trackColour, juce::Colour (dark ? 0xff404344 : 0xffc6c6c6));
    }
}

TEST_F (EditorWindow, SkinButtonTogglesTheSkinFlagAndTheLook)
{
    auto& window = open();
    ASSERT_FALSE (processor->getParameterTree().state.hasProperty ("darkMode"));
    const auto light = renderWindow (window);

    click (button ("Skin"));
    ASSERT_TRUE (processor->getParameterTree().state.hasProperty ("darkMode"));
    EXPECT_TRUE (darkMode().isBool());
    EXPECT_TRUE (static_cast<bool> (darkMode()));
    EXPECT_TRUE (lookAndFeel().darkSkin);
    const auto dark = renderWindow (window);

    click (button ("Skin"));
    EXPECT_TRUE (processor->getParameterTree().state.hasProperty ("darkMode"));
    EXPECT_FALSE (static_cast<bool> (darkMode()));
    EXPECT_FALSE (lookAndFeel().darkSkin);
    const auto lightAgain = renderWindow (window);

    // The header's plain stretch, the bottom strip and both button images change with the skin.
    for (const auto area : { juce::Rectangle<int> (300, 5, 150, 30), { 100, 447, 700, 12 }, { 854, 9, 24, 26 }, { 880, 9, 24, 26 } })
    {
        EXPECT_GT (meanDifference (crop (light, area), crop (dark, area)), 20.0) << area.toString();
        EXPECT_LT (meanDifference (crop (light, area), crop (lightAgain, area)), 0.5) << area.toString();
    }
}

TEST_F (EditorWindow, PaintsTheSkinsArtworkStretchedOverTheWindow)
{
    auto& window = open();

    for (const bool dark : { false, true, false })
    {
        SCOPED_TRACE (dark ? "dark" : "light");
        processor->getParameterTree().state.setProperty ("darkMode", dark, nullptr);

        const auto artwork = dark ? juce::ImageCache::getFromMemory (BinaryData::background_dark_png, BinaryData::background_dark_pngSize)
                                  : juce::ImageCache::getFromMemory (BinaryData::background_light_png, BinaryData::background_light_pngSize);
        juce::Image expected (juce::Image::ARGB, 911, 459, true);
        {
            juce::Graphics g (expected);
            g.fillAll (lookAndFeel().backgroundColour);
            g.drawImage (artwork, { 0.0f, 0.0f, 911.0f, 459.0f }, juce::RectanglePlacement::stretchToFit);
        }

        const auto shown = renderWindow (window);

        // The header left of the preset bar and the bottom strip right of the version show only the background.
        for (const auto area : { juce::Rectangle<int> (0, 0, 470, 42), { 100, 446, 811, 13 } })
            EXPECT_EQ (meanDifference (crop (shown, area), crop (expected, area)), 0.0) << area.toString();
    }
}

TEST_F (EditorWindow, FollowsAStateRestoredWithTheOtherSkin)
{
    open();
    ASSERT_FALSE (lookAndFeel().darkSkin);

    BrazzleAudioProcessor other;
    other.getParameterTree().state.setProperty ("darkMode", true, nullptr);
    juce::MemoryBlock state;
    other.getStateInformation (state);
    processor->setStateInformation (state.getData(), static_cast<int> (state.getSize()));

    EXPECT_TRUE (lookAndFeel().darkSkin);
}

TEST_F (EditorWindow, ReopenedEditorShowsTheSavedSkin)
{
    open();
    click (button ("Skin"));
    editor.reset();

    open();
    EXPECT_TRUE (lookAndFeel().darkSkin);
}

TEST_F (EditorWindow, WritesTheVersionInTheBottomStrip)
{
    auto& window = open();
    const auto image = renderWindow (window);
    const auto muted = juce::Colour (0xff4c5057);

    EXPECT_GT (countPixelsNear (image, { 4, 445, 40, 14 }, muted, 40), 10);
    EXPECT_EQ (countPixelsNear (image, { 0, 445, 4, 14 }, muted, 40), 0);
    EXPECT_EQ (countPixelsNear (image, { 60, 445, 800, 14 }, muted, 40), 0);
}

TEST_F (EditorWindow, AmountLabelsShowThePadPosition)
{
    auto& window = open();
    auto& drive = window.getSliderPanel().getAmountLabel (SliderPanelComponent::driveAmount);
    auto& phase = window.getSliderPanel().getAmountLabel (SliderPanelComponent::phaseAmount);

    struct Case
    {
        float drive, composite;
        const char* driveText;
        const char* phaseText;
    };

    const Case cases[] = {
        { 0.0f, 0.0f, "0%", "0%" },
        { 1.0f, 1.0f, "100%", "100%" },
        { 0.5f, 0.25f, "50%", "24%" }, // the pad's pixel grid truncates: 0.25 of 241 rows is row 181
        { 0.75f, 1.0f, "75%", "100%" },
    };

    for (const auto& c : cases)
    {
        parameter (*processor, PluginParameters::saturatorDrive).setValueNotifyingHost (c.drive);
        parameter (*processor, PluginParameters::pmComposite).setValueNotifyingHost (c.composite);
        dispatchMessages();

        EXPECT_EQ (drive.getText(), c.driveText) << c.drive;
        EXPECT_EQ (phase.getText(), c.phaseText) << c.composite;
    }
}

TEST_F (EditorWindow, DraggingThePadSetsDriveAndPhaseAmount)
{
    auto& window = open();
    auto& pad = window.getGraphContainer().xyPad;
    parameter (*processor, PluginParameters::saturatorDrive).setValueNotifyingHost (0.0f);
    parameter (*processor, PluginParameters::pmComposite).setValueNotifyingHost (0.0f);

    pad.mouseDown (mouseEventAt (pad, { 10.0f, 230.0f }));
    pad.mouseDrag (mouseEventAt (pad, { 399.0f, 60.0f }));
    pad.mouseUp (mouseEventAt (pad, { 399.0f, 60.0f }));
    dispatchMessages();

    EXPECT_FLOAT_EQ (plain (*processor, PluginParameters::saturatorDrive), 27.0f);
    EXPECT_NEAR (plain (*processor, PluginParameters::pmComposite), 0.751f, 0.0005f);

    // The puck settles on the pixel the stored value maps back to, which may be one off.
    EXPECT_EQ (pad.xPosition, 399);
    EXPECT_NEAR (pad.yPosition, 60, 1);
    EXPECT_EQ (window.getSliderPanel().getAmountLabel (SliderPanelComponent::driveAmount).getText(), "75%");
    EXPECT_EQ (window.getSliderPanel().getAmountLabel (SliderPanelComponent::phaseAmount).getText(),
               ParticleXYValueSource::positionToText (ParticleXYComponent::Listener::Y, pad.yPosition, pad.getHeight()));
}

TEST_F (EditorWindow, ClickingTheWaveDisplayStepsTheCurveAndWraps)
{
    open();

    const std::pair<int, int> steps[] = { { 5, 0 }, { 0, 1 }, { 1, 2 }, { 2, 3 }, { 3, 4 }, { 4, 5 } };

    for (const auto& [from, to] : steps)
    {
        setPlain (*processor, PluginParameters::saturatorType, static_cast<float> (from));
        clickWaveDisplay();
        EXPECT_EQ (plain (*processor, PluginParameters::saturatorType), static_cast<float> (to)) << "from " << from;
    }

    setPlain (*processor, PluginParameters::saturatorType, 3.0f);

    for (int i = 0; i < 6; ++i)
        clickWaveDisplay();

    EXPECT_EQ (plain (*processor, PluginParameters::saturatorType), 3.0f);
}

TEST_F (EditorWindow, TakesTheDisplayValuesOnlyWhileItIsOpen)
{
    processor->prepareToPlay (48000.0, 256);
    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    juce::MidiBuffer midi;
    setPlain (*processor, PluginParameters::saturatorType, 4.0f);

    EXPECT_FALSE (processor->getDisplayPublisher().hasReceiver());

    auto& window = open();
    EXPECT_TRUE (processor->getDisplayPublisher().hasReceiver());

    processor->processBlock (buffer, midi);
    EXPECT_EQ (window.getGraphContainer().waveAnimation.curveType.load(), 4);

    editor.reset();
    EXPECT_FALSE (processor->getDisplayPublisher().hasReceiver());
    processor->processBlock (buffer, midi);
}
