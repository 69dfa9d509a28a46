#include "BrazzleLookAndFeel.h"
#include "EditorTestHelpers.h"

#include <BinaryData.h>
#include <gtest/gtest.h>

#include <cstring>

namespace
{
struct ImageResource
{
    const char* name;
    const char* data;
    int size;
    int width, height;
    bool opaque;
};

#define BRAZZLE_IMAGE(name, width, height, opaque) { #name, BinaryData::name, BinaryData::name##Size, width, height, opaque }

const ImageResource imageResources[] = {
    BRAZZLE_IMAGE (background_dark_png, 1823, 918, false),
    BRAZZLE_IMAGE (background_light_png, 1823, 918, false),
    BRAZZLE_IMAGE (help_overlay_png, 1823, 918, true),
    BRAZZLE_IMAGE (help_dark_png, 33, 37, false),
    BRAZZLE_IMAGE (help_light_png, 33, 37, false),
    BRAZZLE_IMAGE (skin_dark_png, 33, 37, false),
    BRAZZLE_IMAGE (skin_light_png, 33, 37, false),
    BRAZZLE_IMAGE (knob_dot_dark_png, 12, 13, false),
    BRAZZLE_IMAGE (knob_dot_light_png, 12, 13, false),
    BRAZZLE_IMAGE (band_high_png, 43, 196, false),
    BRAZZLE_IMAGE (band_low_png, 43, 196, false),
    BRAZZLE_IMAGE (agc_off_dark_png, 30, 30, false),
    BRAZZLE_IMAGE (agc_on_dark_png, 30, 30, false),
    BRAZZLE_IMAGE (agc_off_light_png, 30, 30, false),
    BRAZZLE_IMAGE (agc_on_light_png, 30, 30, false),
    BRAZZLE_IMAGE (bypass_off_dark_png, 35, 24, false),
    BRAZZLE_IMAGE (bypass_on_dark_png, 35, 24, false),
    BRAZZLE_IMAGE (bypass_off_light_png, 35, 24, false),
    BRAZZLE_IMAGE (bypass_on_light_png, 35, 24, false),
    BRAZZLE_IMAGE (chevron_up_dark_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_up_pressed_dark_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_down_dark_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_down_pressed_dark_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_up_light_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_up_pressed_light_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_down_light_png, 41, 41, false),
    BRAZZLE_IMAGE (chevron_down_pressed_light_png, 41, 41, false),
    BRAZZLE_IMAGE (wave_grid_png, 758, 482, true),
    BRAZZLE_IMAGE (xy_puck_png, 103, 104, false),
};

#undef BRAZZLE_IMAGE

bool everyPixelOpaque (const juce::Image& image)
{
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (image.getPixelAt (x, y).getAlpha() != 255)
                return false;

    return true;
}
} // namespace

TEST (EmbeddedImages, AllTwentyNineArePresent)
{
    EXPECT_EQ (std::size (imageResources), 29u);
}

TEST (EmbeddedImages, DecodeThroughTheImageCacheAtTheirPixelSize)
{
    for (const auto& resource : imageResources)
    {
        SCOPED_TRACE (resource.name);
        const auto image = juce::ImageCache::getFromMemory (resource.data, resource.size);

        ASSERT_TRUE (image.isValid());
        EXPECT_EQ (image.getWidth(), resource.width);
        EXPECT_EQ (image.getHeight(), resource.height);
        EXPECT_EQ (everyPixelOpaque (image), resource.opaque);
    }
}

TEST (EmbeddedImages, BecomeDrawablesOfTheirPixelSize)
{
    for (const auto& resource : imageResources)
    {
        SCOPED_TRACE (resource.name);
        const auto drawable = juce::Drawable::createFromImageData (resource.data, static_cast<size_t> (resource.size));

        ASSERT_NE (drawable, nullptr);
        EXPECT_EQ (drawable->getDrawableBounds(), juce::Rectangle<float> (0.0f, 0.0f, (float) resource.width, (float) resource.height));
    }
}

TEST (EmbeddedImages, LightChevronsAreTheDarkOnesByteForByte)
{
    const struct { const char* dark; int darkSize; const char* light; int lightSize; } pairs[] = {
        { BinaryData::chevron_up_dark_png, BinaryData::chevron_up_dark_pngSize, BinaryData::chevron_up_light_png, BinaryData::chevron_up_light_pngSize },
        { BinaryData::chevron_up_pressed_dark_png, BinaryData::chevron_up_pressed_dark_pngSize, BinaryData::chevron_up_pressed_light_png, BinaryData::chevron_up_pressed_light_pngSize },
        { BinaryData::chevron_down_dark_png, BinaryData::chevron_down_dark_pngSize, BinaryData::chevron_down_light_png, BinaryData::chevron_down_light_pngSize },
        { BinaryData::chevron_down_pressed_dark_png, BinaryData::chevron_down_pressed_dark_pngSize, BinaryData::chevron_down_pressed_light_png, BinaryData::chevron_down_pressed_light_pngSize },
    };

    for (const auto& pair : pairs)
    {
        ASSERT_EQ (pair.darkSize, pair.lightSize);
        EXPECT_EQ (std::memcmp (pair.dark, pair.light, static_cast<size_t> (pair.darkSize)), 0);
    }
}

TEST (EmbeddedFonts, LoadAsTheTwoMontserratFaces)
{
    const struct { const char* data; int size; const char* style; } faces[] = {
        { BinaryData::montserrat_light_otf, BinaryData::montserrat_light_otfSize, "Light" },
        { BinaryData::montserrat_semibold_otf, BinaryData::montserrat_semibold_otfSize, "SemiBold" },
    };

    for (const auto& face : faces)
    {
        SCOPED_TRACE (face.style);
        const auto typeface = juce::Typeface::createSystemTypefaceFor (face.data, static_cast<size_t> (face.size));

        ASSERT_NE (typeface, nullptr);
        EXPECT_EQ (typeface->getName(), "Montserrat");
        EXPECT_EQ (typeface->getStyle(), face.style);

        juce::GlyphArrangement glyphs;
        glyphs.addLineOfText (juce::Font (typeface).withHeight (20.0f), "B", 0.0f, 0.0f);
        juce::Path outline;
        glyphs.createPath (outline);
        EXPECT_FALSE (outline.getBounds().isEmpty());
    }
}

// The graph area draws itself into window rows 42 to 282; the artwork must not cover any of it.
TEST (WindowBackground, LeavesTheGraphBandToTheFillInBothSkins)
{
    for (const bool dark : { true, false })
    {
        SCOPED_TRACE (dark ? "dark" : "light");
        BrazzleLookAndFeel lookAndFeel;
        lookAndFeel.applySkin (dark);

        const auto artwork = dark ? juce::ImageCache::getFromMemory (BinaryData::background_dark_png, BinaryData::background_dark_pngSize)
                                  : juce::ImageCache::getFromMemory (BinaryData::background_light_png, BinaryData::background_light_pngSize);

        const auto artworkBand = editortest::findInk (artwork, { 0, 84, artwork.getWidth(), 568 - 84 });
        EXPECT_EQ (artworkBand.count, 0);

        const auto window = editortest::paintInto (911, 459, [&] (juce::Graphics& g)
        {
            g.fillAll (lookAndFeel.backgroundColour);
            g.drawImage (artwork, { 0.0f, 0.0f, 911.0f, 459.0f }, juce::RectanglePlacement::stretchToFit);
        });

        int coveredPixels = 0;

        for (int y = 42; y < 283; ++y)
            for (int x = 0; x < 911; ++x)
                coveredPixels += window.getPixelAt (x, y) != lookAndFeel.backgroundColour ? 1 : 0;

        EXPECT_EQ (coveredPixels, 0);
    }
}
