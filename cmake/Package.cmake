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
# Scheme files open in Tintwright; pictures and pages offer it under "Open with" and keep the
# program they open in. The uninstaller removes these entries, and a key only when it is empty.
set(tw_classes "Software\\Classes")
# The command line of Open, "C:\...\Tintwright.exe" "%1", in NSIS's back quotes.
set(tw_open "`$\\\"$INSTDIR\\Tintwright.exe$\\\" $\\\"%1$\\\"`")
set(tw_app_key "${tw_classes}\\Applications\\Tintwright.exe")
set(tw_install_classes
    "WriteRegStr HKLM '${tw_classes}\\.colors' '' 'Tintwright.ColorScheme'"
    "WriteRegStr HKLM '${tw_classes}\\.colors\\OpenWithProgids' 'Tintwright.ColorScheme' ''"
    "WriteRegStr HKLM '${tw_classes}\\Tintwright.ColorScheme' '' 'Tintwright Color Scheme'"
    "WriteRegStr HKLM '${tw_classes}\\Tintwright.ColorScheme\\DefaultIcon' '' '$INSTDIR\\Tintwright.exe,0'"
    "WriteRegStr HKLM '${tw_classes}\\Tintwright.ColorScheme\\shell\\open\\command' '' ${tw_open}"
    "WriteRegStr HKLM '${tw_app_key}\\shell\\open\\command' '' ${tw_open}")
set(tw_uninstall_classes
    "ReadRegStr $0 HKLM '${tw_classes}\\.colors' ''"
    "StrCmp $0 'Tintwright.ColorScheme' 0 +2"
    "DeleteRegValue HKLM '${tw_classes}\\.colors' ''"
    "DeleteRegValue HKLM '${tw_classes}\\.colors\\OpenWithProgids' 'Tintwright.ColorScheme'"
    "DeleteRegKey /ifempty HKLM '${tw_classes}\\.colors\\OpenWithProgids'"
    "DeleteRegKey /ifempty HKLM '${tw_classes}\\.colors'"
    "DeleteRegKey HKLM '${tw_classes}\\Tintwright.ColorScheme'"
    "DeleteRegKey HKLM '${tw_app_key}'")
foreach(tw_ext .bmp .dib .jpg .jpeg .jpe .jfif .tif .tiff .png .gif .tga .pcx .pcd .htm .html)
    list(APPEND tw_install_classes
        "WriteRegStr HKLM '${tw_app_key}\\SupportedTypes' '${tw_ext}' ''"
        "WriteRegStr HKLM '${tw_classes}\\${tw_ext}\\OpenWithList\\Tintwright.exe' '' ''")
    list(APPEND tw_uninstall_classes
        "DeleteRegKey HKLM '${tw_classes}\\${tw_ext}\\OpenWithList\\Tintwright.exe'"
        "DeleteRegKey /ifempty HKLM '${tw_classes}\\${tw_ext}\\OpenWithList'"
        "DeleteRegKey /ifempty HKLM '${tw_classes}\\${tw_ext}'")
endforeach()
# Explorer shows the new icon and "Open with" entries at once: SHCNE_ASSOCCHANGED.
set(tw_notify "System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'")
list(APPEND tw_install_classes "${tw_notify}")
list(APPEND tw_uninstall_classes "${tw_notify}")
string(JOIN "\n" CPACK_NSIS_EXTRA_INSTALL_COMMANDS ${tw_install_classes})
string(JOIN "\n" CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS ${tw_uninstall_classes})

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
