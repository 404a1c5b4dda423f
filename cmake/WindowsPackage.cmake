# The release package of the Windows build (cpack, the package step of the
# windows and windows32 workflow presets):
# ostrivel-qtparser-<version>-win64.zip or -win32.zip, holding the DLL,
# qtgraph.exe, README.txt for Windows users and register.cmd/unregister.cmd,
# which call regsvr32 for the DLL beside them.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(QTP_PACKAGE_BITS 64)
  set(QTP_PACKAGE_HOSTS "64-bit Windows (x64)")
  set(QTP_PACKAGE_OTHER "for 32-bit applications take the win32 package.")
  set(QTP_REGSVR32_WOW64 "")
else()
  set(QTP_PACKAGE_BITS 32)
  set(QTP_PACKAGE_HOSTS "32-bit applications (x86) on 32- or 64-bit Windows")
  set(QTP_PACKAGE_OTHER "for 64-bit applications take the win64 package.
Both can be registered side by side on 64-bit Windows.")
  # On 64-bit Windows the 32-bit regsvr32 registers a 32-bit DLL.
  set(QTP_REGSVR32_WOW64
      "if exist \"%SystemRoot%\\SysWOW64\\regsvr32.exe\" set REGSVR32=%SystemRoot%\\SysWOW64\\regsvr32.exe")
endif()

set(QTP_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)
# Windows' own line ends: Notepad and cmd.exe get what they expect.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/README.txt.in ${QTP_PACKAGE_DIR}/README.txt
               @ONLY NEWLINE_STYLE CRLF)
set(QTP_CMD_PURPOSE "Registers the Ostrivel QuickTime File Parser DLL beside this script.")
set(QTP_REGSVR32_FLAGS "")
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/regsvr32.cmd.in ${QTP_PACKAGE_DIR}/register.cmd
               @ONLY NEWLINE_STYLE CRLF)
set(QTP_CMD_PURPOSE "Removes the registration of the Ostrivel QuickTime File Parser DLL beside this script.")
set(QTP_REGSVR32_FLAGS "/u ")
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/regsvr32.cmd.in ${QTP_PACKAGE_DIR}/unregister.cmd
               @ONLY NEWLINE_STYLE CRLF)

install(TARGETS ostrivel-qtparser qtgraph RUNTIME DESTINATION .)
install(FILES ${QTP_PACKAGE_DIR}/README.txt ${QTP_PACKAGE_DIR}/register.cmd ${QTP_PACKAGE_DIR}/unregister.cmd
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ostrivel-qtparser)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ostrivel-qtparser-${PROJECT_VERSION}-win${QTP_PACKAGE_BITS})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)
