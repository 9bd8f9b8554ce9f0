# Builds the language archive into the program's resources: a packer compiled for the build
# machine turns the text files of this folder into start marker + LZARI payload + end marker,
# which orbelin.rc stores as the resource "AAAA_UNICODE.TMP" of type "PNG". Included from
# src/res/CMakeLists.txt; sets ORBELIN_LANGUAGE_ARCHIVE (the run) and, as global properties,
# the paths of the packer and of the archive text for tests.
include(${CMAKE_CURRENT_LIST_DIR}/maker.cmake)
configure_file(${CMAKE_CURRENT_LIST_DIR}/maker.h.in ${CMAKE_CURRENT_BINARY_DIR}/maker.h @ONLY)

# The main build is a cross build; the packer runs here, so the machine's own compiler makes it.
find_program(ORBELIN_HOST_CXX NAMES g++ c++ REQUIRED DOC "C++ compiler for programs that run during the build")
set(ORBELIN_PACKER_SOURCES
    ${PROJECT_SOURCE_DIR}/tools/archive_packer/archive_packer.cpp
    ${PROJECT_SOURCE_DIR}/tools/archive_packer/lzari_encoder.cpp
    ${PROJECT_SOURCE_DIR}/src/lang/lzari_model.cpp
    ${PROJECT_SOURCE_DIR}/src/lang/lzari_decoder.cpp
    ${PROJECT_SOURCE_DIR}/src/lang/archive_container.cpp)
set(ORBELIN_PACKER_HEADERS
    ${PROJECT_SOURCE_DIR}/tools/archive_packer/lzari_encoder.h
    ${PROJECT_SOURCE_DIR}/src/lang/lzari_model.h
    ${PROJECT_SOURCE_DIR}/src/lang/lzari_decoder.h
    ${PROJECT_SOURCE_DIR}/src/lang/archive_container.h)
set(ORBELIN_PACKER ${CMAKE_BINARY_DIR}/tools/orbelin_archive_packer)
set_property(GLOBAL PROPERTY ORBELIN_ARCHIVE_PACKER ${ORBELIN_PACKER})
add_custom_command(OUTPUT ${ORBELIN_PACKER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools
    COMMAND ${ORBELIN_HOST_CXX} -std=c++20 -O2 -Wall -Wextra -Werror -I${PROJECT_SOURCE_DIR}/src
            -o ${ORBELIN_PACKER} ${ORBELIN_PACKER_SOURCES}
    DEPENDS ${ORBELIN_PACKER_SOURCES} ${ORBELIN_PACKER_HEADERS}
    COMMENT "Building the language archive packer for the build machine"
    VERBATIM)

# Archive order: preamble, header, English and German licence, then the language sections in
# the order of their language indexes.
set(ORBELIN_LANG_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ORBELIN_LANG_SEGMENTS
    --preamble ${ORBELIN_LANG_DIR}/preamble.txt
    --header ${ORBELIN_LANG_DIR}/header.txt
    --licence ${ORBELIN_LANG_DIR}/licence_en.txt
    --licence ${ORBELIN_LANG_DIR}/licence_de.txt)
set(ORBELIN_LANG_FILES preamble.txt header.txt licence_en.txt licence_de.txt)
foreach(language de en da zh_tw ko ru es fr el bs it)
    list(APPEND ORBELIN_LANG_SEGMENTS --section ${ORBELIN_LANG_DIR}/${language}.txt)
    list(APPEND ORBELIN_LANG_FILES ${language}.txt)
endforeach()
list(TRANSFORM ORBELIN_LANG_FILES PREPEND ${ORBELIN_LANG_DIR}/)

set(ORBELIN_LANGUAGE_ARCHIVE ${CMAKE_CURRENT_BINARY_DIR}/language_archive.bin)
set(ORBELIN_LANGUAGE_TEXT ${CMAKE_CURRENT_BINARY_DIR}/language_archive_text.bin)
set_property(GLOBAL PROPERTY ORBELIN_LANGUAGE_TEXT ${ORBELIN_LANGUAGE_TEXT})
add_custom_command(OUTPUT ${ORBELIN_LANGUAGE_ARCHIVE} ${ORBELIN_LANGUAGE_TEXT}
    COMMAND ${ORBELIN_PACKER} --run ${ORBELIN_LANGUAGE_ARCHIVE} --text ${ORBELIN_LANGUAGE_TEXT}
            --define PROGRAM=${ORBELIN_PROGRAM_NAME}
            --define VERSION=${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
            --define MAKER=${ORBELIN_MAKER_NAME}
            --define WEB_GERMAN=${ORBELIN_MAKER_WEB_GERMAN}
            --define WEB_INTERNATIONAL=${ORBELIN_MAKER_WEB_INTERNATIONAL}
            --define HOST_STEM=${ORBELIN_MAKER_HOST_STEM}
            --define MAIL=${ORBELIN_MAKER_MAIL}
            ${ORBELIN_LANG_SEGMENTS}
    DEPENDS ${ORBELIN_PACKER} ${ORBELIN_LANG_FILES}
    COMMENT "Packing the language archive"
    VERBATIM)
