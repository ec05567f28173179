# Installed layout and the Debian package built from it.
#
# Both programs and the help pages share one program folder, since each program finds the
# other and the pages beside its own executable. The commands on the path are relative
# symlinks into that folder: the programs resolve their folder through /proc/self/exe, so
# a started symlink still finds its siblings.

set(NELVORA_PROGRAM_DIR "lib/nelvora")
set(NELVORA_APP_ID "example.nelvora.orsivel")
set(NELVORA_PACKAGING_DIR "${CMAKE_SOURCE_DIR}/packaging")
set(NELVORA_LINK_DIR "${CMAKE_BINARY_DIR}/packaging/bin")

file(MAKE_DIRECTORY "${NELVORA_LINK_DIR}")
foreach(program Velmaro orsivel)
  # The executables are written while this file is; leave out what is not there yet.
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION "${NELVORA_PROGRAM_DIR}")
    # A link made here is installed as a link (file(INSTALL) keeps symlinks), which
    # works the same for a plain install, a DESTDIR install and the package.
    file(CREATE_LINK "../${NELVORA_PROGRAM_DIR}/${program}" "${NELVORA_LINK_DIR}/${program}"
         SYMBOLIC)
    install(PROGRAMS "${NELVORA_LINK_DIR}/${program}" DESTINATION bin)
  endif()
endforeach()

foreach(page index.html download.html)
  if(EXISTS "${CMAKE_SOURCE_DIR}/docs/${page}")
    install(FILES "${CMAKE_SOURCE_DIR}/docs/${page}" DESTINATION "${NELVORA_PROGRAM_DIR}")
  endif()
endforeach()

install(FILES "${NELVORA_PACKAGING_DIR}/${NELVORA_APP_ID}.desktop"
        DESTINATION share/applications)
install(FILES "${NELVORA_PACKAGING_DIR}/${NELVORA_APP_ID}.metainfo.xml"
        DESTINATION share/metainfo)

# Manual pages and the changelog are installed compressed, as Debian keeps them; gzip -n
# leaves out the name and time of the source, so the same sources give the same package.
set(NELVORA_GZIP_DIR "${CMAKE_BINARY_DIR}/packaging/gz")
file(MAKE_DIRECTORY "${NELVORA_GZIP_DIR}")
function(nelvora_gzip source output)
  set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${source}")
  execute_process(COMMAND gzip -9n -c "${source}" OUTPUT_FILE "${output}"
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip could not compress ${source}")
  endif()
endfunction()

foreach(program orsivel Velmaro)
  nelvora_gzip("${NELVORA_PACKAGING_DIR}/man/${program}.1" "${NELVORA_GZIP_DIR}/${program}.1.gz")
  install(FILES "${NELVORA_GZIP_DIR}/${program}.1.gz" DESTINATION share/man/man1)
endforeach()

# The version has no Debian revision, so the package is a native one and its changelog
# is changelog.gz (Debian's name for the changelog of a native package).
nelvora_gzip("${NELVORA_PACKAGING_DIR}/changelog" "${NELVORA_GZIP_DIR}/changelog.gz")
install(FILES "${NELVORA_PACKAGING_DIR}/copyright" "${NELVORA_GZIP_DIR}/changelog.gz"
        DESTINATION share/doc/nelvora)

install(FILES "${CMAKE_SOURCE_DIR}/data/icons/nelvora.svg"
        DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES "${NELVORA_PACKAGING_DIR}/icons/nelvora-${size}.png"
          DESTINATION "share/icons/hicolor/${size}x${size}/apps" RENAME nelvora.png)
endforeach()

# --- Debian package ------------------------------------------------------------------
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "nelvora")
set(CPACK_PACKAGE_VERSION "${NELVORA_VERSION_TEXT}")
set(CPACK_PACKAGE_VENDOR "Nelvora")
set(CPACK_PACKAGE_CONTACT "Nelvora support <support@nelvora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal reminders that speak, show a message or open a file")
set(CPACK_PACKAGE_DESCRIPTION
  "Nelvora and Reminder keeps named reminders for one desktop user: on a date,\n\
on chosen weekdays or monthly, at a time of day. When a reminder is due it can\n\
say the time, the day or its message, show the message in a window, play an\n\
audio file or open any file. The editor is orsivel; the scheduler Velmaro sits\n\
in the notification area and starts at log-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.nelvora.example/")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# The Qt libraries come from the linked executables; what they load at run time does
# not show in their links and is named here: the image plugin of the tray icon, the
# speech back end, and the openers of files. The X11 window-system plugin is part of
# libqt6gui6. The speech service and its voice are only recommended: without them the
# programs still run, and the speech failure boxes show what would have been said.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-speech-speechd-plugin, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "speech-dispatcher, speech-dispatcher-espeak-ng, hicolor-icon-theme")
# No maintainer scripts: the menu and icon caches are refreshed by the triggers of the
# packages that own them, and a removal must never reach into a user's home folder
# (the reminder folder and the autostart entry stay the user's).
include(CPack)
