target_sources(Brazzle PRIVATE
    Source/ParticleXYComponent.cpp
    Source/ParticleXYAttachment.cpp
    Source/ParticleXYValueSource.cpp
    Source/WaveAnimationComponent.cpp)
