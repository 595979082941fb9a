# kestrune_add_version_info(target): gives an executable its version block. At build time
# kestrune_version_block_tool (src/version) makes the block in the VS_VERSIONINFO layout
# from the project's version and the strings below and writes it as a C++ array placed in the
# ".kestrune_version" section; the array is compiled into the target, and the about box's reader
# finds the block there by the section's name.
function(kestrune_add_version_info target)
    get_target_property(outputName ${target} OUTPUT_NAME)
    if(NOT outputName)
        set(outputName ${target})
    endif()
    set(fileName "${outputName}${CMAKE_EXECUTABLE_SUFFIX}")

    set(arguments
        --version ${PROJECT_VERSION}
        --string CompanyName "Quillmere"
        --string FileDescription "Kestrune weather-satellite station"
        --string FileVersion ${PROJECT_VERSION}
        --string InternalName ${fileName}
        --string LegalCopyright "Copyright (C) 2026 the Kestrune developers"
        --string OriginalFileName ${fileName}
        --string ProductName "Kestrune"
        --string ProductVersion ${PROJECT_VERSION}
        --string Comments "137 MHz weather-satellite passes"
        --string "Web site" "https://kestrune.example.org")

    set(source ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.cpp)
    # Rewritten only when the arguments change, so that a new version or string remakes the block
    # with any generator.
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${target}_version_block.args)
    file(CONFIGURE OUTPUT ${stamp} CONTENT "${arguments}\n" @ONLY)
    add_custom_command(
        OUTPUT ${source}
        COMMAND kestrune_version_block_tool --output ${source} ${arguments}
        DEPENDS kestrune_version_block_tool ${stamp}
        COMMENT "Making the version block of ${fileName}"
        VERBATIM)
    target_sources(${target} PRIVATE ${source})
endfunction()
