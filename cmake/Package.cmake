# Packages for Windows users, made here on Linux by CPack: a portable zip and an NSIS
# installer (Debian's nsis) with a Start-menu shortcut and an uninstaller.
#   cmake --build build/win --target package

install(TARGETS Tintwright RUNTIME DESTINATION .)
if(TARGET ImgLib)
    install(TARGETS ImgLib RUNTIME DESTINATION .)
endif()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${TW_HELP_FILE} DESTINATION .)
# The help's pages for the desktop's browser, where HTML Help cannot draw them.
install(FILES ${TW_HELP_PAGES} DESTINATION help)

set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_PACKAGE_NAME Tintwright)
set(CPACK_PACKAGE_VENDOR Tintwright)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Composes the colour attributes of an HTML BODY tag")
set(CPACK_PACKAGE_FILE_NAME Tintwright-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Tintwright)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Tintwright)
# The zip unpacks into one folder of the package's name.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
# Without the debugging information of the RelWithDebInfo build.
set(CPACK_STRIP_FILES ON)
# No licence is published: the installer shows the README on the page meant for it.
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/README.md)

# Start-menu folder "Tintwright" with the program's shortcut; the uninstaller removes it.
set(CPACK_PACKAGE_EXECUTABLES Tintwright Tintwright)
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
# The help beside them in the same folder, removed by the uninstaller with the others.
set(CPACK_NSIS_CREATE_ICONS_EXTRA
    "CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\Tintwright Help.lnk' '$INSTDIR\\Tintwright.chm'")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "Delete '$SMPROGRAMS\\$MUI_TEMP\\Tintwright Help.lnk'")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_DISPLAY_NAME "Tintwright ${PROJECT_VERSION}")
set(CPACK_NSIS_PACKAGE_NAME "Tintwright ${PROJECT_VERSION}")
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/Tintwright.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/Tintwright.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME Tintwright.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# A 64-bit installer for a 64-bit program: it needs no 32-bit Windows layer (nor wine32).
set(CPACK_NSIS_DEFINES "Target amd64-unicode")

include(CPack)
