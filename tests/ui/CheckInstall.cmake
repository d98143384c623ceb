# Installs the build into a fresh prefix below WORK_DIR and checks that the
# desktop entry, its working folder with the read-me, the icons and the
# metainfo are where the desktop looks for them.
file(REMOVE_RECURSE "${WORK_DIR}")
set(prefix "${WORK_DIR}/prefix with space")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()

include(GNUInstallDirs)
set(datadir "${prefix}/${CMAKE_INSTALL_DATADIR}")
foreach(file
        "${prefix}/${CMAKE_INSTALL_BINDIR}/mirado"
        "${datadir}/mirado/Readme.html"
        "${datadir}/icons/hicolor/32x32/apps/mirado.png"
        "${datadir}/icons/hicolor/scalable/apps/mirado.svg"
        "${datadir}/metainfo/jp.mirado.Mirado.metainfo.xml"
        "${datadir}/applications/jp.mirado.Mirado.desktop")
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()

file(STRINGS "${datadir}/applications/jp.mirado.Mirado.desktop" lines)
foreach(expected
        "Path=${datadir}/mirado"
        "Exec=\"${prefix}/${CMAKE_INSTALL_BINDIR}/mirado\" %F"
        "Icon=mirado")
    list(FIND lines "${expected}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "desktop entry lacks \"${expected}\":\n${lines}")
    endif()
endforeach()

# Offered for any files in "Open With", the default program for none.
list(FILTER lines INCLUDE REGEX "^MimeType=")
if(lines)
    message(FATAL_ERROR "the desktop entry claims file types: ${lines}")
endif()

if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${datadir}/applications/jp.mirado.Mirado.desktop"
        RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "the installed desktop entry is not valid")
    endif()
endif()
