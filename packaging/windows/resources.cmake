# The program's Windows resources: its icon, which Explorer, the taskbar, the Start menu and the
# project files show, and its version information, which the file's properties show.
#
# There is no Qt SVG module for MinGW, so the icon is drawn from the SVG on the build machine:
# rsvg-convert draws a PNG of each size and icotool packs them into the .ico. The same PNGs are
# built into the program as the window icon (app::applicationIcon() falls back to them where
# the SVG cannot be drawn).
find_package(Qt6 REQUIRED COMPONENTS Core)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(windows_icon_svg ${PROJECT_SOURCE_DIR}/data/${APPLICATION_ID}.svg)
# The sizes that Windows asks an .ico for; the window icon has those of the Linux desktops too.
set(windows_icon_sizes 16 24 32 48 64 256)
set(window_icon_sizes 16 22 24 32 48 64 256)
set(windows_dir ${PROJECT_BINARY_DIR}/windows)
set(windows_icon ${windows_dir}/${APPLICATION_ID}.ico)

set(windows_icon_pngs)
set(window_icon_pngs)
foreach(size IN LISTS window_icon_sizes)
    set(png ${windows_dir}/icons/${APPLICATION_ID}/${size}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${windows_dir}/icons/${APPLICATION_ID}
        COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --format png --output ${png}
                ${windows_icon_svg}
        DEPENDS ${windows_icon_svg}
        COMMENT "Drawing the ${size} px icon for Windows"
        VERBATIM
    )
    list(APPEND window_icon_pngs ${png})
    if(size IN_LIST windows_icon_sizes)
        list(APPEND windows_icon_pngs ${png})
    endif()
endforeach()

# The largest image stays PNG inside the .ico, as Windows expects at 256 px; the others are
# bitmaps with an alpha channel.
set(windows_small_pngs ${windows_icon_pngs})
list(POP_BACK windows_small_pngs windows_large_png)
add_custom_command(OUTPUT ${windows_icon}
    COMMAND ${ICOTOOL} --create --output=${windows_icon} ${windows_small_pngs}
            --raw=${windows_large_png}
    DEPENDS ${windows_icon_pngs}
    COMMENT "Packing the program's .ico"
    VERBATIM
)
add_custom_target(windows_icon ALL DEPENDS ${windows_icon})

# The window icon: the PNGs under :/icons/<id>/<size>.png.
qt_add_resources(app_identity "window_icon_pngs"
    PREFIX /icons
    BASE ${windows_dir}/icons
    FILES ${window_icon_pngs}
)

# The .rc: the icon as IDI_ICON1, the name under which Qt's Windows platform also gives it to
# every window, the version information in Simplified Chinese, and the application manifest.
enable_language(RC)
set(windows_version ${PROJECT_VERSION_MAJOR})
foreach(part IN ITEMS MINOR PATCH TWEAK)
    if("${PROJECT_VERSION_${part}}" STREQUAL "")
        string(APPEND windows_version ",0")
    else()
        string(APPEND windows_version ",${PROJECT_VERSION_${part}}")
    endif()
endforeach()
set(windows_product_name "灭火器配置计算")
set(windows_company_name "灭火器配置计算开发组")
# The years of the copyright, as the Debian package's copyright file gives them.
file(STRINGS ${PROJECT_SOURCE_DIR}/packaging/copyright windows_copyright REGEX "^Copyright: "
    LIMIT_COUNT 1)
string(REGEX MATCH "[0-9][-0-9, ]*[0-9]" windows_copyright_years "${windows_copyright}")
set(windows_manifest ${CMAKE_CURRENT_LIST_DIR}/extinguisher-calculator.manifest)
set(windows_rc ${windows_dir}/extinguisher-calculator.rc)
configure_file(${CMAKE_CURRENT_LIST_DIR}/extinguisher-calculator.rc.in ${windows_rc} @ONLY)
target_sources(extinguisher-calculator PRIVATE ${windows_rc})
set_source_files_properties(${windows_rc} DIRECTORY ${PROJECT_SOURCE_DIR}/app
    PROPERTIES OBJECT_DEPENDS "${windows_icon};${windows_manifest}")
add_dependencies(extinguisher-calculator windows_icon)
