# Install step of the Windows build (see installer.cmake, which sets the windows_* variables
# before it): puts beside the program every DLL that it and Qt's plugins load, found from their
# imports in Qt's folder and MinGW's. A DLL found in none of them must be one of Windows' own,
# which the installer leaves alone: it is checked against Wine's, where Wine is there. Windows'
# API sets (api-ms-win-*) are names that Windows resolves itself.
#
# CMake matches DLL names in lower case, as Windows does, but the folders here are on a file
# system that tells case apart (Qt6Core.dll is not qt6core.dll): the search goes through a folder
# of links named in lower case, and each DLL is installed under its own name.
set(CMAKE_GET_RUNTIME_DEPENDENCIES_PLATFORM windows+pe)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_TOOL objdump)
set(CMAKE_GET_RUNTIME_DEPENDENCIES_COMMAND ${windows_objdump})

set(links ${windows_dll_links})
file(REMOVE_RECURSE ${links})
file(MAKE_DIRECTORY ${links})
foreach(dir IN LISTS windows_dll_dirs)
    file(GLOB dlls LIST_DIRECTORIES false ${dir}/*.dll)
    foreach(dll IN LISTS dlls)
        get_filename_component(name ${dll} NAME)
        string(TOLOWER ${name} name)
        # The first folder that holds a DLL gives it, as the search order of the folders says.
        if(NOT EXISTS ${links}/${name})
            file(CREATE_LINK ${dll} ${links}/${name} SYMBOLIC)
        endif()
    endforeach()
endforeach()

file(GET_RUNTIME_DEPENDENCIES
    EXECUTABLES ${windows_program}
    LIBRARIES ${windows_plugin_files}
    DIRECTORIES ${links}
    # Windows' API sets: names that Windows itself resolves, never files of their own.
    PRE_EXCLUDE_REGEXES "^api-ms-win-" "^ext-ms-win-"
    RESOLVED_DEPENDENCIES_VAR found
    UNRESOLVED_DEPENDENCIES_VAR not_found
)
if(NOT found)
    message(FATAL_ERROR "No DLL of the program's was found in: ${windows_dll_dirs}")
endif()

if(IS_DIRECTORY ${windows_system_dll_dir})
    set(unknown)
    foreach(name IN LISTS not_found)
        string(TOLOWER ${name} name)
        if(NOT EXISTS ${windows_system_dll_dir}/${name})
            list(APPEND unknown ${name})
        endif()
    endforeach()
    if(unknown)
        list(JOIN unknown ", " unknown)
        message(FATAL_ERROR "The program loads DLLs that are neither Windows' own nor in "
            "${windows_dll_dirs}: ${unknown}")
    endif()
else()
    message(STATUS "Not checked that these DLLs are Windows' own (no Wine here): ${not_found}")
endif()

set(dlls)
foreach(link IN LISTS found)
    file(REAL_PATH ${link} dll)
    list(APPEND dlls ${dll})
endforeach()
list(SORT dlls)
file(INSTALL DESTINATION ${CMAKE_INSTALL_PREFIX}/${windows_destination} TYPE SHARED_LIBRARY
    FILES ${dlls})

# MinGW's DLLs come with their debugging sections (libstdc++ is 24 MB so, 2 MB without): they
# are stripped as the program is, when the install strips (cmake --install --strip, CPack).
if(CMAKE_INSTALL_DO_STRIP)
    foreach(dll IN LISTS dlls)
        get_filename_component(name ${dll} NAME)
        execute_process(COMMAND ${windows_strip} --strip-unneeded
            "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${windows_destination}/${name}"
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
endif()
