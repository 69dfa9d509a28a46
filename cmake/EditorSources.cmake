target_sources(Brazzle PRIVATE
    Source/BrazzleLookAndFeel.cpp
    Source/SliderPanelComponent.cpp
    Source/StepSlider.cpp
    Source/ChevronButton.cpp
    Source/PresetBrowserComponent.cpp
    Source/BrazzleAudioProcessorEditor.cpp
    Source/GraphContainerComponent.cpp)
