# The program's own version block: make_version_block writes it as a C++ source from
# the project version, and the small library built from that source is linked into
# peres, where ReadVersionInfo reads it back for the running executable.
if(TARGET peres AND TARGET util)
    add_executable(make_version_block ${CMAKE_CURRENT_LIST_DIR}/make_version_block.cpp)
    target_compile_options(make_version_block PRIVATE ${PICTAVO_WARNINGS})
    target_link_libraries(make_version_block PRIVATE util)

    set(PICTAVO_OWN_VERSION_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/OwnVersionBlock.cpp)
    add_custom_command(
        OUTPUT ${PICTAVO_OWN_VERSION_SOURCE}
        COMMAND make_version_block ${PICTAVO_OWN_VERSION_SOURCE} ${PROJECT_VERSION}
                "Pictavo" "Pictavo icon browser and extractor" "Vantrel"
                "Copyright © 2026 Vantrel"
        DEPENDS make_version_block
        COMMENT "Generating the program's version block"
        VERBATIM)

    add_library(pictavo_own_version STATIC ${PICTAVO_OWN_VERSION_SOURCE})
    target_include_directories(pictavo_own_version PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(peres PUBLIC pictavo_own_version)
endif()
