#include "BrazzleAudioProcessor.h"
#include "BrazzleLookAndFeel.h"
#include "EditorTestHelpers.h"
#include "PluginParameters.h"
#include "SliderPanelComponent.h"
#include "Snapshot.h"

#include <gtest/gtest.h>

using editortest::render;

namespace
{
template <typename ComponentType>
ComponentType* findDescendant (juce::Component& parent, const std::function<bool (ComponentType&)>& matches = nullptr)
{
    for (auto* child : parent.getChildren())
    {
        if (auto* typed = dynamic_cast<ComponentType*> (child))
            if (matches == nullptr || matches (*typed))
                return typed;

        if (auto* found = findDescendant<ComponentType> (*child, matches))
            return found;
    }

    return nullptr;
}

juce::Rectangle<int> windowBounds (juce::Component& child)
{
    return child.getBounds() + child.getParentComponent()->getPosition();
}

class SliderPanel : public ::testing::Test
{
protected:
    void SetUp() override
    {
        panel = std::make_unique<SliderPanelComponent> (processor, tree);
        panel->setBounds (0, 283, 911, 162);
    }

    void TearDown() override
    {
        panel.reset();
    }

    juce::RangedAudioParameter& parameter (const char* id)
    {
        auto* p = tree.getParameter (id);
        EXPECT_NE (p, nullptr) << id;
        return *p;
    }

    void setPlain (const char* id, float value)
    {
        auto& p = parameter (id);
        p.setValueNotifyingHost (p.convertTo0to1 (value));
    }

    float plain (const char* id) { return tree.getRawParameterValue (id)->load(); }

    std::vector<juce::Slider*> knobs()
    {
        std::vector<juce::Slider*> result;

        for (auto* child : panel->getChildren())
            if (auto* slider = dynamic_cast<juce::Slider*> (child))
                result.push_back (slider);

        return result;
    }

    juce::DrawableButton& button (const juce::String& name)
    {
        auto* found = findDescendant<juce::DrawableButton> (*panel, [&] (juce::DrawableButton& b) { return b.getName() == name; });
        EXPECT_NE (found, nullptr) << name;
        return *found;
    }

    StepSlider& stepSlider()
    {
        auto* found = findDescendant<StepSlider> (*panel);
        EXPECT_NE (found, nullptr);
        return *found;
    }

    void setSkin (bool dark)
    {
        tree.state.setProperty ("darkMode", dark, nullptr);
    }

    BrazzleAudioProcessor processor;
    juce::AudioProcessorValueTreeState& tree = processor.getParameterTree();
    std::unique_ptr<SliderPanelComponent> panel;
};

struct KnobPlace
{
    const char* id;
    juce::Rectangle<int> bounds;
    bool bipolar;
};

const KnobPlace knobPlaces[] = {
    { PluginParameters::crossoverCutoff, { 35, 340, 83, 103 }, false },
    { PluginParameters::saturatorTone, { 191, 340, 83, 103 }, false },
    { PluginParameters::pmSpread, { 482, 340, 83, 103 }, true },
    { PluginParameters::globalOutputGain, { 641, 340, 83, 103 }, true },
    { PluginParameters::globalMix, { 800, 340, 83, 103 }, false },
};
} // namespace

TEST_F (SliderPanel, KnobsSitAtTheirPlacesBoundToTheirParameters)
{
    const auto sliders = knobs();
    ASSERT_EQ (sliders.size(), std::size (knobPlaces));

    for (size_t i = 0; i < sliders.size(); ++i)
    {
        const auto& place = knobPlaces[i];
        auto& knob = *sliders[i];
        auto& p = parameter (place.id);
        SCOPED_TRACE (place.id);

        EXPECT_EQ (windowBounds (knob), place.bounds);
        EXPECT_EQ (knob.getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
        EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::TextBoxBelow);
        EXPECT_EQ (knob.getMinimum() < 0.0, place.bipolar);

        auto* text = findDescendant<juce::Label> (knob);
        ASSERT_NE (text, nullptr);
        EXPECT_EQ (text->getText(), p.getCurrentValueAsText());

        p.setValueNotifyingHost (0.3f);
        EXPECT_NEAR (knob.getValue(), p.convertFrom0to1 (0.3f), 1.0e-3 * (knob.getMaximum() - knob.getMinimum()));

        knob.setValue (p.convertFrom0to1 (0.7f), juce::sendNotificationSync);
        EXPECT_NEAR (p.getValue(), 0.7f, 1.0e-3f);
    }
}

TEST_F (SliderPanel, CutoffKnobHasOneKilohertzAtMidTravel)
{
    auto& cutoff = *knobs()[0];
    EXPECT_NEAR (cutoff.valueToProportionOfLength (1000.0), 0.5, 1.0e-6);

    cutoff.setValue (cutoff.proportionOfLengthToValue (0.5), juce::sendNotificationSync);
    EXPECT_NEAR (plain (PluginParameters::crossoverCutoff), 1000.0f, 1.0f);

    cutoff.setValue (cutoff.proportionOfLengthToValue (1.0), juce::sendNotificationSync);
    EXPECT_EQ (plain (PluginParameters::crossoverCutoff), 16000.0f);

    auto& tone = *knobs()[1];
    EXPECT_NEAR (tone.valueToProportionOfLength (0.25), 0.25, 1.0e-6) << "the other knobs stay linear";
}

TEST_F (SliderPanel, ChildrenKeepTheirWindowPlacesWhereverThePanelSits)
{
    const struct { const char* name; juce::Rectangle<int> bounds; } places[] = {
        { "Crossover Bypass", { 19, 334, 24, 24 } },
        { "Crossover Toggle", { 144, 334, 24, 100 } },
        { "Auto Gain Compensation", { 628, 334, 22, 22 } },
    };

    for (const auto origin : { juce::Point<int> (0, 283), juce::Point<int> (0, 0), juce::Point<int> (7, 301) })
    {
        SCOPED_TRACE (origin.toString());
        panel->setBounds (juce::Rectangle<int> (911, 162) + origin);

        for (const auto& place : places)
            EXPECT_EQ (button (place.name).getBounds() + origin, place.bounds) << place.name;

        EXPECT_EQ (stepSlider().getBounds() + origin, juce::Rectangle<int> (338, 354, 80, 86));
        EXPECT_EQ (panel->getAmountLabel (SliderPanelComponent::phaseAmount).getBounds() + origin, juce::Rectangle<int> (462, 286, 38, 16));
        EXPECT_EQ (panel->getAmountLabel (SliderPanelComponent::driveAmount).getBounds() + origin, juce::Rectangle<int> (876, 286, 38, 16));
        EXPECT_EQ (knobs()[2]->getBounds() + origin, juce::Rectangle<int> (482, 340, 83, 103));
    }
}

TEST_F (SliderPanel, CurveSelectorSplitsIntoArrowsAndName)
{
    auto* name = findDescendant<juce::Label> (stepSlider());
    ASSERT_NE (name, nullptr);

    EXPECT_EQ (button ("Next Curve Shape").getBounds(), juce::Rectangle<int> (0, 0, 80, 24));
    EXPECT_EQ (button ("Prev Curve Shape").getBounds(), juce::Rectangle<int> (0, 62, 80, 24));
    EXPECT_EQ (name->getBounds(), juce::Rectangle<int> (0, 24, 80, 38));
    EXPECT_EQ (name->getJustificationType(), juce::Justification::centred);
    EXPECT_EQ (button ("Next Curve Shape").getStyle(), juce::DrawableButton::ImageFitted);
}

TEST_F (SliderPanel, TogglesFollowTheirParametersBothWays)
{
    const struct { const char* name; const char* id; } toggles[] = {
        { "Crossover Toggle", PluginParameters::crossoverBand },
        { "Crossover Bypass", PluginParameters::crossoverBypass },
        { "Auto Gain Compensation", PluginParameters::globalAgc },
    };

    for (const auto& toggle : toggles)
    {
        SCOPED_TRACE (toggle.name);
        auto& b = button (toggle.name);
        EXPECT_FALSE (b.getToggleState());
        EXPECT_TRUE (b.getClickingTogglesState());
        EXPECT_EQ (b.getStyle(), juce::DrawableButton::ImageFitted);

        setPlain (toggle.id, 1.0f);
        EXPECT_TRUE (b.getToggleState()) << "host automation reaches the button";

        b.triggerClick();
        juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
        EXPECT_FALSE (b.getToggleState());
        EXPECT_EQ (plain (toggle.id), 0.0f) << "a click reaches the parameter";
    }

    for (const auto& toggle : toggles)
        setPlain (toggle.id, 1.0f);

    panel.reset();
    panel = std::make_unique<SliderPanelComponent> (processor, tree);

    for (const auto& toggle : toggles)
        EXPECT_TRUE (button (toggle.name).getToggleState()) << "a new panel starts from the parameter: " << toggle.name;
}

TEST_F (SliderPanel, BandToggleLightsHWhenOnAndLWhenOff)
{
    auto& band = button ("Crossover Toggle");

    const auto redCentreY = [&]
    {
        const auto image = render (band);
        return editortest::findInk (image, image.getBounds(), [&] (int x, int y)
        {
            const auto c = image.getPixelAt (x, y);
            return c.getAlpha() > 128 && c.getRed() > 120 && c.getRed() > 2 * c.getGreen();
        }).centroid.y;
    };

    for (const bool dark : { false, true })
    {
        SCOPED_TRACE (dark ? "dark" : "light");
        setSkin (dark);

        setPlain (PluginParameters::crossoverBand, 1.0f);
        EXPECT_LT (redCentreY(), 50.0f);

        setPlain (PluginParameters::crossoverBand, 0.0f);
        EXPECT_GT (redCentreY(), 50.0f);
    }
}

TEST_F (SliderPanel, SkinSwapsBypassAndAutoGainImagesButNotBandOrArrows)
{
    const struct { const char* name; bool followsSkin; } buttons[] = {
        { "Crossover Bypass", true },
        { "Auto Gain Compensation", true },
        { "Crossover Toggle", false },
        { "Next Curve Shape", false },
        { "Prev Curve Shape", false },
    };

    const struct { const char* name; bool toggled; juce::Button::ButtonState state; } looks[] = {
        { "off", false, juce::Button::buttonNormal },
        { "on", true, juce::Button::buttonNormal },
        { "pressed", false, juce::Button::buttonDown },
    };

    for (const auto& b : buttons)
    {
        for (const auto& look : looks)
        {
            SCOPED_TRACE (juce::String (b.name) + ", " + look.name);
            auto& component = button (b.name);
            component.setToggleState (look.toggled, juce::dontSendNotification);
            component.setState (look.state);

            setSkin (false);
            const auto light = render (component);
            setSkin (true);
            const auto dark = render (component);
            setSkin (false);

            ASSERT_GT (editortest::findInk (light, light.getBounds()).count, 0);
            EXPECT_EQ (! editortest::sameImage (light, dark), b.followsSkin);
            EXPECT_TRUE (editortest::sameImage (light, render (component))) << "switching back restores the light images";
        }
    }
}

TEST_F (SliderPanel, ArrowsStepTheCurveWithWrapAroundAndTellTheHost)
{
    struct HostListener : juce::AudioProcessorListener
    {
        void audioProcessorParameterChanged (juce::AudioProcessor*, int index, float value) override { changes.push_back ({ index, value }); }
        void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails&) override {}
        void audioProcessorParameterChangeGestureBegin (juce::AudioProcessor*, int) override { ++gestures; }

        std::vector<std::pair<int, float>> changes;
        int gestures = 0;
    };

    const struct { float from; const char* arrow; float to; const char* name; } steps[] = {
        { 5.0f, "Next Curve Shape", 0.0f, "PASS" },
        { 0.0f, "Prev Curve Shape", 5.0f, "FOLDBACK" },
        { 2.0f, "Next Curve Shape", 3.0f, "CROSSOVER" },
        { 2.0f, "Prev Curve Shape", 1.0f, "TAPE" },
        { 4.0f, "Next Curve Shape", 5.0f, "FOLDBACK" },
    };

    auto& type = parameter (PluginParameters::saturatorType);
    auto* name = findDescendant<juce::Label> (stepSlider());
    ASSERT_NE (name, nullptr);

    for (const auto& step : steps)
    {
        SCOPED_TRACE (juce::String (step.arrow) + " from " + juce::String (step.from));
        setPlain (PluginParameters::saturatorType, step.from);

        HostListener host;
        processor.addListener (&host);
        button (step.arrow).onClick();
        processor.removeListener (&host);

        EXPECT_EQ (plain (PluginParameters::saturatorType), step.to);
        ASSERT_EQ (host.changes.size(), 1u);
        EXPECT_EQ (host.changes[0].first, type.getParameterIndex());
        EXPECT_FLOAT_EQ (host.changes[0].second, step.to / 5.0f);
        EXPECT_EQ (host.gestures, 0);

        tree.copyState();
        EXPECT_EQ (name->getText(), step.name) << "the name follows once the tree has the value";
    }
}

TEST_F (SliderPanel, AmountLabelsAreNeverEditableNorFocusable)
{
    juce::Value shown ("42%");

    for (const int index : { SliderPanelComponent::phaseAmount, SliderPanelComponent::driveAmount })
    {
        SCOPED_TRACE (index);
        auto& label = panel->getAmountLabel (index);
        label.getTextValue().referTo (shown);
        setSkin (true);

        EXPECT_EQ (label.getText(), "42%");
        EXPECT_FALSE (label.isEditableOnSingleClick());
        EXPECT_FALSE (label.isEditableOnDoubleClick());
        EXPECT_FALSE (label.getWantsKeyboardFocus());
        EXPECT_FALSE (label.getMouseClickGrabsKeyboardFocus());
        EXPECT_TRUE (label.isVisible());
        EXPECT_EQ (label.getParentComponent(), panel.get());
    }
}

//==============================================================================
TEST_F (SliderPanel, SceneShowsEveryKnobsDotOnItsBodyInBothSkins)
{
    panel.reset();

    for (const bool dark : { false, true })
    {
        SCOPED_TRACE (dark ? "dark" : "light");
        setSkin (dark);
        const auto scene = snapshot::renderSliderPanel (processor, 1.0f);
        ASSERT_EQ (scene.getBounds(), juce::Rectangle<int> (911, 459));

        BrazzleLookAndFeel lookAndFeel;
        lookAndFeel.applySkin (dark);
        const auto background = editortest::paintInto (911, 459, [&] (juce::Graphics& g)
        {
            snapshot::paintWindowBackground (g, lookAndFeel, { 0, 0, 911, 459 });
        });

        int changedInGraphBand = 0;

        for (int y = 42; y < 283; ++y)
            for (int x = 0; x < 911; ++x)
                changedInGraphBand += scene.getPixelAt (x, y) != background.getPixelAt (x, y) ? 1 : 0;

        EXPECT_EQ (changedInGraphBand, 0) << "the panel draws nothing over the graph area";

        for (const auto& place : knobPlaces)
        {
            SCOPED_TRACE (place.id);
            auto& p = parameter (place.id);
            juce::NormalisableRange<float> travel (p.getNormalisableRange().start, p.getNormalisableRange().end);

            if (juce::StringRef (place.id) == juce::StringRef (PluginParameters::crossoverCutoff))
                travel.setSkewForCentre (1000.0f);

            const auto rotary = juce::Slider().getRotaryParameters();
            const auto proportion = travel.convertTo0to1 (p.convertFrom0to1 (p.getValue()));
            const auto angle = rotary.startAngleRadians + proportion * (rotary.endAngleRadians - rotary.startAngleRadians);
            const auto centre = place.bounds.toFloat().withHeight (83.0f).getCentre();
            const auto dot = editortest::onCircle (centre, 19.0f, angle);
            const auto opposite = editortest::onCircle (centre, 19.0f, angle + juce::MathConstants<float>::pi);

            const auto at = [] (const juce::Image& image, juce::Point<float> point) { return image.getPixelAt ((int) point.x, (int) point.y); };
            EXPECT_GT (std::abs (at (scene, dot).getPerceivedBrightness() - at (background, dot).getPerceivedBrightness()), 0.1f);
            EXPECT_EQ (at (scene, opposite), at (background, opposite));
        }
    }
}
