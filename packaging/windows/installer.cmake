# The Windows build's resources and its installer, made by CPack's NSIS generator:
# ./build.sh windows-package cross-builds the program in Release and runs CPack.
#
# The install tree is the folder the program runs from, laid out as Qt deploys a program on
# Windows: the program, Qt's and MinGW's DLLs beside it, Qt's plugins in platforms/, styles/ and
# imageformats/, Qt's Chinese texts in translations/, a qt.conf that tells Qt so, and the
# licences of what is not the program's own in licenses/. The installer puts it in Program
# Files, adds a Start-menu entry, opens .fep project files with the program, and its
# uninstaller takes all of that away again.
include(${CMAKE_CURRENT_LIST_DIR}/resources.cmake)

find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets PrintSupport)

set(windows_program extinguisher-calculator.exe)
# Everything goes where the program is (CMAKE_INSTALL_BINDIR; ./build.sh windows-package makes
# it the install folder itself).
set(windows_bindir ${CMAKE_INSTALL_BINDIR})
if(windows_bindir STREQUAL ".")
    set(windows_nsis_bindir "$INSTDIR")
    set(windows_installed_program ${windows_program})
else()
    string(REPLACE "/" "\\" windows_nsis_bindir "$INSTDIR/${windows_bindir}")
    string(REPLACE "/" "\\" windows_installed_program "${windows_bindir}/${windows_program}")
endif()

# Qt's plugins: the Windows platform for the windows, the offscreen one for --export, the native
# style, and the image formats a file dialog may show.
set(windows_plugins
    platforms Qt6::QWindowsIntegrationPlugin
    platforms Qt6::QOffscreenIntegrationPlugin
    styles Qt6::QWindowsVistaStylePlugin
    imageformats Qt6::QICOPlugin
    imageformats Qt6::QJpegPlugin
    imageformats Qt6::QGifPlugin
)
set(windows_plugin_files)
while(windows_plugins)
    list(POP_FRONT windows_plugins folder plugin)
    if(NOT TARGET ${plugin})
        message(FATAL_ERROR "The Windows installer needs Qt's plugin ${plugin}, which this Qt lacks")
    endif()
    install(FILES $<TARGET_FILE:${plugin}> DESTINATION ${windows_bindir}/${folder})
    list(APPEND windows_plugin_files $<TARGET_FILE:${plugin}>)
endwhile()

set(windows_qm ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_zh_CN.qm)
if(NOT EXISTS ${windows_qm})
    message(FATAL_ERROR "Qt's Chinese texts are not at ${windows_qm}")
endif()
install(FILES ${windows_qm} DESTINATION ${windows_bindir}/translations)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/qt.conf DESTINATION ${windows_bindir})

# The licences of what is shipped beside the program, which Qt's LGPL and libxlsxwriter's BSD
# licence ask to go with it: the copyright files of the Debian packages whose sources they were
# built from (Qt's of the same qtbase source as the shared Qt), and the LGPL and the GPL in full.
set(windows_licenses
    Qt.txt /usr/share/doc/libqt6core6/copyright
    LGPL-3.txt /usr/share/common-licenses/LGPL-3
    GPL-3.txt /usr/share/common-licenses/GPL-3
    libxlsxwriter.txt /usr/share/doc/libxlsxwriter-dev/copyright
    zlib.txt /usr/share/doc/libz-mingw-w64/copyright
    GCC-runtime.txt /usr/share/doc/gcc-mingw-w64-base/copyright
    MinGW-w64-runtime.txt /usr/share/doc/mingw-w64-common/copyright
)
while(windows_licenses)
    list(POP_FRONT windows_licenses name file)
    if(NOT EXISTS ${file})
        message(FATAL_ERROR "The licence ${name} for the Windows installer is not at ${file}")
    endif()
    install(FILES ${file} DESTINATION ${windows_bindir}/licenses RENAME ${name})
endwhile()

# The DLLs that the program and the plugins load, found from their imports when installing:
# Qt's, MinGW's runtime and zlib. Whatever none of the folders below holds must be one of
# Windows' own DLLs; Wine, which has its own of each, is the list of those.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libstdc++-6.dll
    OUTPUT_VARIABLE windows_libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libwinpthread-1.dll
    OUTPUT_VARIABLE windows_libwinpthread OUTPUT_STRIP_TRAILING_WHITESPACE)
file(REAL_PATH ${windows_libstdcxx} windows_libstdcxx)
file(REAL_PATH ${windows_libwinpthread} windows_libwinpthread)
get_filename_component(windows_gcc_dll_dir ${windows_libstdcxx} DIRECTORY)
get_filename_component(windows_mingw_dll_dir ${windows_libwinpthread} DIRECTORY)
if(NOT IS_ABSOLUTE ${windows_gcc_dll_dir} OR NOT IS_ABSOLUTE ${windows_mingw_dll_dir})
    message(FATAL_ERROR "${CMAKE_CXX_COMPILER} does not say where MinGW's runtime DLLs are")
endif()
find_program(WINDOWS_OBJDUMP NAMES ${CMAKE_OBJDUMP} x86_64-w64-mingw32-objdump REQUIRED)
set(windows_dll_dirs ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} ${windows_gcc_dll_dir}
    ${windows_mingw_dll_dir})
set(windows_system_dll_dir /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
install(CODE "set(windows_program [[$<TARGET_FILE:extinguisher-calculator>]])
set(windows_plugin_files [[${windows_plugin_files}]])
set(windows_dll_dirs [[${windows_dll_dirs}]])
set(windows_system_dll_dir [[${windows_system_dll_dir}]])
set(windows_dll_links [[${windows_dir}/dll-links]])
set(windows_objdump [[${WINDOWS_OBJDUMP}]])
set(windows_strip [[${CMAKE_STRIP}]])
set(windows_destination [[${windows_bindir}]])")
install(SCRIPT ${CMAKE_CURRENT_LIST_DIR}/install-dlls.cmake)

# The installer.
set(CPACK_GENERATOR NSIS)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME extinguisher-calculator)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR ${windows_company_name})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "按 GB 55036-2022 和 GB 50140-2005 计算建筑灭火器配置")
set(CPACK_PACKAGE_FILE_NAME extinguisher-calculator-${PROJECT_VERSION}-win64-setup)
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${windows_product_name})
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${APPLICATION_ID})
set(CPACK_STRIP_FILES ON)
# makensis makes a 32-bit installer with ANSI texts unless told otherwise, and CPack cannot pass
# it an option: the wrapper asks for a 64-bit one with Unicode texts.
set(CPACK_NSIS_EXECUTABLE ${CMAKE_CURRENT_LIST_DIR}/makensis-unicode.sh)
set(CPACK_NSIS_PACKAGE_NAME ${windows_product_name})
set(CPACK_NSIS_DISPLAY_NAME ${windows_product_name})
# The product's name at the foot of every page. (CPACK_NSIS_BRANDING_TEXT would ask for /TRIM,
# which makensis has only on Windows.)
# FileFunc.nsh reads the uninstaller's options.
set(CPACK_NSIS_DEFINES "  BrandingText \"${windows_product_name} ${PROJECT_VERSION}\"
  !include \"FileFunc.nsh\"")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_IGNORE_LICENSE_PAGE ON)
set(CPACK_NSIS_MUI_ICON ${windows_icon})
set(CPACK_NSIS_MUI_UNIICON ${windows_icon})
set(CPACK_NSIS_INSTALLED_ICON_NAME ${windows_installed_program})
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MANIFEST_DPI_AWARE ON)
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")

# The Start-menu entry. The installer runs as an administrator for all users (SHCTX is then
# HKLM, and $SMPROGRAMS the common Start menu); the uninstaller finds the folder the same way.
# The program starts in the profile of whoever starts it, not in the install folder, where a
# standard user cannot write: the shell expands the variable in a shortcut's working folder,
# which CreateShortCut takes from $OUTDIR.
set(windows_shortcut "${windows_product_name}.lnk")
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "  StrCpy $OUTDIR \"%USERPROFILE%\"
  CreateShortCut \"$SMPROGRAMS\\$STARTMENU_FOLDER\\${windows_shortcut}\" \"${windows_nsis_bindir}\\${windows_program}\"
  StrCpy $OUTDIR \"$INSTDIR\"")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "  Delete \"$SMPROGRAMS\\$MUI_TEMP\\${windows_shortcut}\"")

# The project files: .fep opens with the program and shows its icon. The uninstaller takes the
# type away, and takes .fep back only while it still names this program's type.
set(windows_progid ${APPLICATION_ID}.project)
set(windows_file_type_name "灭火器配置工程")
file(READ ${CMAKE_CURRENT_LIST_DIR}/file-type-install.nsh CPACK_NSIS_EXTRA_INSTALL_COMMANDS)
string(CONFIGURE "${CPACK_NSIS_EXTRA_INSTALL_COMMANDS}" CPACK_NSIS_EXTRA_INSTALL_COMMANDS @ONLY)
file(READ ${CMAKE_CURRENT_LIST_DIR}/file-type-uninstall.nsh CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS)
string(CONFIGURE "${CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS}" CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS
    @ONLY)

# What the program keeps in the user's profile: its settings, in the registry key of the
# organization its QSettings name (kSettingsApplication in io/saved_choices_file.cpp), and its
# data folder (AppDataLocation, named after the program), which holds the recovery copies. The uninstaller
# removes the recovery folder when it is empty, and the settings when asked to
# (user-data-uninstall.nsh).
file(STRINGS ${PROJECT_SOURCE_DIR}/io/saved_choices_file.cpp windows_settings_key
    REGEX "kSettingsApplication = \"[^\"]+\"")
string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" windows_settings_key "${windows_settings_key}")
if(NOT windows_settings_key MATCHES "^[A-Za-z0-9._-]+$")
    message(FATAL_ERROR "io/saved_choices_file.cpp does not name the settings' organization")
endif()
get_filename_component(windows_data_folder ${windows_program} NAME_WE)
set(windows_remove_settings_question
    "是否同时删除本程序保存的设置（上次的选择、最近打开的文件、使用过的文件夹和窗口布局）？$\\n$\\n选择“否”则保留这些设置，重新安装后继续使用。")
file(READ ${CMAKE_CURRENT_LIST_DIR}/user-data-uninstall.nsh windows_user_data_uninstall)
string(CONFIGURE "${windows_user_data_uninstall}" windows_user_data_uninstall @ONLY)
string(APPEND CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "${windows_user_data_uninstall}")

# CPack's own NSIS script, in Chinese only and with the few English texts it writes itself in
# Chinese; its uninstaller also removes the vendor's registry key once it is empty.
file(READ ${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in windows_nsis_template)
function(windows_nsis_replace pattern replacement)
    string(REGEX REPLACE "${pattern}" "${replacement}" changed "${windows_nsis_template}")
    if(changed STREQUAL windows_nsis_template)
        message(FATAL_ERROR "CPack's NSIS script has no match for: ${pattern}")
    endif()
    set(windows_nsis_template "${changed}" PARENT_SCOPE)
endfunction()
windows_nsis_replace("(  !insertmacro MUI_LANGUAGE \"[A-Za-z]+\"[^\n]*\n)+"
    "  !insertmacro MUI_LANGUAGE \"SimpChinese\"\n")
windows_nsis_replace("\\\\Uninstall\\.lnk" "\\\\卸载${windows_product_name}.lnk")
windows_nsis_replace(
    "\"@CPACK_NSIS_PACKAGE_NAME@ is already installed\\. \\$\\\\n\\$\\\\nDo you want to uninstall the old version before installing the new one\\?\""
    "\"已经安装了@CPACK_NSIS_PACKAGE_NAME@。$\\\\n$\\\\n先卸载旧版本，再安装这一版本吗？\"")
windows_nsis_replace("\"Uninstall failed\\.\"" "\"卸载失败。\"")
windows_nsis_replace(
    "(  DeleteRegKey /ifempty SHCTX \"Software\\\\@CPACK_PACKAGE_VENDOR@\\\\@CPACK_PACKAGE_INSTALL_REGISTRY_KEY@\"\n)"
    "\\1  DeleteRegKey /ifempty SHCTX \"Software\\\\@CPACK_PACKAGE_VENDOR@\"\n")
file(WRITE ${windows_dir}/nsis/NSIS.template.in "${windows_nsis_template}")
set(CPACK_MODULE_PATH ${windows_dir}/nsis)

include(CPack)
