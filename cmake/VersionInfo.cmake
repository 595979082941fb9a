# kestrune_add_version_info(target): gives an executable its version block. On Windows it is
# the executable's VERSIONINFO resource. Elsewhere, at build time
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

    set(strings
        CompanyName "Quillmere"
        FileDescription "Kestrune weather-satellite station"
        FileVersion ${PROJECT_VERSION}
        InternalName ${fileName}
        LegalCopyright "Copyright (C) 2026 the Kestrune developers"
        OriginalFileName ${fileName}
        ProductName "Kestrune"
        ProductVersion ${PROJECT_VERSION}
        Comments "137 MHz weather-satellite passes"
        "Web site" "https://kestrune.example.org")

    list(LENGTH strings count)
    math(EXPR last "${count} - 1")
    if(WIN32)
        # Windows keeps the block as the VERSIONINFO resource, which windres compiles from a
        # resource script; GetFileVersionInfoW reads it back.
        string(REPLACE "." "," numbers "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
        set(values "")
        foreach(index RANGE 0 ${last} 2)
            math(EXPR next "${index} + 1")
            list(GET strings ${index} name)
            list(GET strings ${next} value)
            string(APPEND values "            VALUE \"${name}\", \"${value}\"\n")
        endforeach()
        set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
        file(CONFIGURE OUTPUT ${script} CONTENT [=[
#pragma code_page(65001)
1 VERSIONINFO
FILEVERSION @numbers@
PRODUCTVERSION @numbers@
FILEFLAGSMASK 0x3F
FILEFLAGS 0
FILEOS 0x40004
FILETYPE 1
FILESUBTYPE 0
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904b0"
        BEGIN
@values@        END
    END
    BLOCK "VarFileInfo"
    BEGIN
        VALUE "Translation", 0x409, 1200
    END
END
]=] @ONLY)
        target_sources(${target} PRIVATE ${script})
        return()
    endif()

    set(arguments --version ${PROJECT_VERSION})
    foreach(index RANGE 0 ${last} 2)
        math(EXPR next "${index} + 1")
        list(GET strings ${index} name)
        list(GET strings ${next} value)
        list(APPEND arguments --string ${name} ${value})
    endforeach()

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
