# Locates the dependencies that scripts/bootstrap prepared: SDL3 built from Debian's source package
# into a cache folder, Dear ImGui's source (compiled here as a static library with the SDL3 platform
# back end, the SDL renderer back end and the FreeType font builder), and Debian's FreeType and zlib.

set(QM_DEPS_DIR "$ENV{HOME}/.cache/quillmarch" CACHE PATH "Folder prepared by scripts/bootstrap")
if(NOT EXISTS "${QM_DEPS_DIR}/deps.cmake")
  message(FATAL_ERROR "${QM_DEPS_DIR}/deps.cmake is missing: run ./scripts/bootstrap first")
endif()
include("${QM_DEPS_DIR}/deps.cmake")

find_package(SDL3 ${QM_SDL3_VERSION} EXACT REQUIRED CONFIG PATHS "${QM_SDL3_PREFIX}" NO_DEFAULT_PATH)
find_package(Freetype REQUIRED)
find_package(ZLIB REQUIRED)
message(STATUS "SDL3 ${QM_SDL3_VERSION} from ${QM_SDL3_PREFIX}")
message(STATUS "Dear ImGui ${QM_IMGUI_VERSION} from ${QM_IMGUI_DIR}")

set(_imgui "${QM_IMGUI_DIR}")
add_library(imgui STATIC
  ${_imgui}/imgui.cpp ${_imgui}/imgui_draw.cpp ${_imgui}/imgui_tables.cpp ${_imgui}/imgui_widgets.cpp
  ${_imgui}/imgui_demo.cpp
  ${_imgui}/backends/imgui_impl_sdl3.cpp ${_imgui}/backends/imgui_impl_sdlrenderer3.cpp
  ${_imgui}/misc/freetype/imgui_freetype.cpp)
target_include_directories(imgui SYSTEM PUBLIC ${_imgui} ${_imgui}/backends ${_imgui}/misc/freetype)
target_compile_definitions(imgui PUBLIC IMGUI_ENABLE_FREETYPE IMGUI_DISABLE_OBSOLETE_FUNCTIONS)
target_link_libraries(imgui PUBLIC SDL3::SDL3 Freetype::Freetype ZLIB::ZLIB)
set_target_properties(imgui PROPERTIES POSITION_INDEPENDENT_CODE ON)

# Test builds compile ImGui with its item hooks, through which window tests find widgets by label
# (tests/support/ui_items.cpp records them). Release builds have none of it.
if(QM_BUILD_TESTS)
  target_compile_definitions(imgui PUBLIC IMGUI_ENABLE_TEST_ENGINE)
  target_sources(imgui PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/ui_items.cpp)
  target_include_directories(imgui PUBLIC ${PROJECT_SOURCE_DIR}/tests/support)
endif()

# stb headers from Debian's libstb-dev.
find_path(QM_STB_INCLUDE stb_image.h PATH_SUFFIXES stb REQUIRED)
add_library(stb INTERFACE)
target_include_directories(stb SYSTEM INTERFACE ${QM_STB_INCLUDE})

# The launcher finds SDL3 at run time next to itself or through the build's rpath.
set(CMAKE_BUILD_RPATH "${QM_SDL3_PREFIX}/lib")
