# The template DLL of new icon libraries: make_template_dll writes the DLL itself
# (Template.dll, kept beside the build for inspection) and the C++ source that carries
# it, compressed as a stored item, inside the program. The small library built from
# that source is linked into `library`, where the program's storage restores it.
if(TARGET library AND TARGET peres AND TARGET util)
    add_executable(make_template_dll ${CMAKE_CURRENT_LIST_DIR}/make_template_dll.cpp)
    target_compile_options(make_template_dll PRIVATE ${PICTAVO_WARNINGS})
    target_link_libraries(make_template_dll PRIVATE peres util ZLIB::ZLIB)

    set(PICTAVO_TEMPLATE_DLL ${CMAKE_CURRENT_BINARY_DIR}/Template.dll)
    set(PICTAVO_TEMPLATE_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/TemplatePayload.cpp)
    add_custom_command(
        OUTPUT ${PICTAVO_TEMPLATE_DLL} ${PICTAVO_TEMPLATE_SOURCE}
        COMMAND make_template_dll ${PICTAVO_TEMPLATE_DLL} ${PICTAVO_TEMPLATE_SOURCE}
        DEPENDS make_template_dll
        COMMENT "Generating the template DLL of icon libraries"
        VERBATIM)

    add_library(pictavo_template_payload STATIC ${PICTAVO_TEMPLATE_SOURCE})
    target_include_directories(pictavo_template_payload PRIVATE ${CMAKE_SOURCE_DIR})
    target_link_libraries(library PUBLIC pictavo_template_payload)
endif()
