# The Windows build: what MorvelaLiveUpdate21-win64.zip holds, and how the tests run under Wine.
# Qt, libcurl and the MinGW runtime come from the unpacked toolchain; no deployment tool runs here.
get_filename_component(MORVELA_WIN_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(MORVELA_WIN_BIN ${MORVELA_WIN_PREFIX}/bin)
set(MORVELA_WIN_PLUGINS ${MORVELA_WIN_PREFIX}/plugins)
# pkg-config finds the Windows libcurl there, never Linux's.
set(ENV{PKG_CONFIG_LIBDIR} ${MORVELA_WIN_PREFIX}/lib/pkgconfig)

install(PROGRAMS $<TARGET_FILE:MorvelaLiveUpdate21> DESTINATION .)
install(FILES
    ${MORVELA_WIN_BIN}/Qt6Core.dll ${MORVELA_WIN_BIN}/Qt6Gui.dll ${MORVELA_WIN_BIN}/Qt6Widgets.dll
    ${MORVELA_WIN_BIN}/Qt6Network.dll ${MORVELA_WIN_BIN}/libcurl.dll ${MORVELA_WIN_BIN}/libsodium-23.dll
    ${MORVELA_WIN_BIN}/libstdc++-6.dll ${MORVELA_WIN_BIN}/libgcc_s_seh-1.dll ${MORVELA_WIN_BIN}/libwinpthread-1.dll
    DESTINATION .)
install(FILES ${MORVELA_WIN_PLUGINS}/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${MORVELA_WIN_PLUGINS}/styles/qwindowsvistastyle.dll DESTINATION styles)
install(FILES ${MORVELA_WIN_PLUGINS}/tls/qschannelbackend.dll DESTINATION tls)
# Qt's Croatian for its own buttons and dialogs is the same file on every system.
find_file(MORVELA_QTBASE_HR qtbase_hr.qm PATHS /usr/share/qt6/translations NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH
          REQUIRED)
install(FILES ${MORVELA_QTBASE_HR} DESTINATION translations)

# Windows programs of the build run through Wine with a prefix of the build's own, the
# toolchain's DLLs and Qt plugins on their paths.
if(CMAKE_CROSSCOMPILING AND NOT CMAKE_CROSSCOMPILING_EMULATOR)
    find_program(MORVELA_WINE wine REQUIRED)
    set(MORVELA_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh @ONLY)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
endif()

# g++ 12 warns about its own std::string at -O3 (GCC bug 105329), nothing of ours.
add_compile_options(-Wno-restrict)
