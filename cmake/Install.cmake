# `cmake --install <build>` installs for the current user, into folders resolved when
# the install runs (from $HOME, so the same build can be installed by anyone):
#   the VST3 bundle   -> ~/.vst3/Brazzle.vst3     (macOS: ~/Library/Audio/Plug-Ins/VST3)
#   the LV2 bundle    -> ~/.lv2/Brazzle.lv2       (macOS: ~/Library/Audio/Plug-Ins/LV2)
#   factory presets   -> <music folder>/Quorvale/Presets/Brazzle/Factory
# The music folder is found as the plug-in finds it: XDG_MUSIC_DIR from
# ~/.config/user-dirs.dirs when that names an existing folder, else ~/Music.
# CMAKE_INSTALL_PREFIX plays no part; DESTDIR is put in front of every path.
# Presets already in the factory folder are overwritten, never removed, so that
# nothing a user put there is lost.

get_filename_component(brazzle_factory_source "${CMAKE_CURRENT_LIST_DIR}/../presets/Factory" ABSOLUTE)
install(CODE "set(brazzle_factory_presets \"${brazzle_factory_source}\")")

if(TARGET Brazzle_VST3)
    install(CODE "set(brazzle_vst3_bundle \"$<TARGET_FILE_DIR:Brazzle_VST3>/../..\")")
endif()

if(TARGET Brazzle_LV2)
    install(CODE "set(brazzle_lv2_bundle \"$<TARGET_FILE_DIR:Brazzle_LV2>\")")
endif()

install(CODE [[
    set(home "$ENV{HOME}")

    if(home STREQUAL "")
        message(FATAL_ERROR "Brazzle installs into the user's folders and needs HOME")
    endif()

    if(APPLE)
        set(vst3_folder "${home}/Library/Audio/Plug-Ins/VST3")
        set(lv2_folder "${home}/Library/Audio/Plug-Ins/LV2")
        set(music_folder "${home}/Music")
    else()
        set(vst3_folder "${home}/.vst3")
        set(lv2_folder "${home}/.lv2")
        set(music_folder "${home}/Music")

        if(EXISTS "${home}/.config/user-dirs.dirs")
            file(STRINGS "${home}/.config/user-dirs.dirs" music_lines REGEX "^[ \t]*XDG_MUSIC_DIR")

            foreach(line IN LISTS music_lines)
                string(REGEX REPLACE "^[^=]*=" "" candidate "${line}")
                string(STRIP "${candidate}" candidate)
                string(REGEX REPLACE "^[\"']" "" candidate "${candidate}")
                string(REGEX REPLACE "[\"']$" "" candidate "${candidate}")
                string(REPLACE "$HOME" "${home}" candidate "${candidate}")

                if(IS_ABSOLUTE "${candidate}" AND IS_DIRECTORY "${candidate}")
                    set(music_folder "${candidate}")
                    break()
                endif()
            endforeach()
        endif()
    endif()

    foreach(kind IN ITEMS vst3 lv2)
        if(DEFINED brazzle_${kind}_bundle)
            get_filename_component(bundle "${brazzle_${kind}_bundle}" REALPATH)

            if(NOT IS_DIRECTORY "${bundle}")
                message(FATAL_ERROR "no ${kind} bundle at ${bundle}: build the plug-in first")
            endif()

            file(INSTALL "${bundle}" DESTINATION "${${kind}_folder}" USE_SOURCE_PERMISSIONS)
        endif()
    endforeach()

    file(INSTALL "${brazzle_factory_presets}/"
         DESTINATION "${music_folder}/Quorvale/Presets/Brazzle/Factory"
         FILES_MATCHING PATTERN "*.xml")
]])
