# The program's version header, its install layout and the Debian package (CPack's DEB
# generator). The version lives in project() at the top of the build; everything else reads it.
include(GNUInstallDirs)

set(CORPPAY_SAMPLE_DIR ${CMAKE_INSTALL_DATADIR}/corppay/config)
set(CORPPAY_FULL_SAMPLE_DIR ${CMAKE_INSTALL_FULL_DATADIR}/corppay/config)

# corppay/version.h: the version and the installed layout, for the About box, --version and the
# choice of the configuration folder.
configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in
               ${CMAKE_BINARY_DIR}/generated/corppay/version.h @ONLY)
if(TARGET app)
    target_include_directories(app PUBLIC ${CMAKE_BINARY_DIR}/generated)
endif()

option(CORPPAY_PACKAGE "Install rules and files of the Debian package (see package.sh)" OFF)
if(NOT CORPPAY_PACKAGE OR NOT TARGET corppay)
    return()
endif()

# The release the package's changelog and metadata name (RFC 2822 for the changelog).
set(CORPPAY_RELEASE_DATE 2026-12-11)
set(CORPPAY_RELEASE_DATE_RFC2822 "Fri, 11 Dec 2026 09:00:00 +0800")
set(CORPPAY_MAINTAINER "corppay maintainers <corppay@example.com>"
    CACHE STRING "The package's maintainer, name and address")
set(CORPPAY_SCREENSHOT_URL "https://corppay.example.com/screenshots/batch.png"
    CACHE STRING "Where the screenshot package.sh makes is published (AppStream metadata)")

find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(GZIP gzip REQUIRED)

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                                                GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(pkg ${CMAKE_BINARY_DIR}/packaging)
set(src ${CMAKE_CURRENT_LIST_DIR})

install(TARGETS corppay RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Stripped as Debian strips programs: no symbols, no compiler comments.
install(CODE "execute_process(COMMAND ${CMAKE_STRIP} --remove-section=.comment --remove-section=.note
                              \"\$ENV{DESTDIR}${CMAKE_INSTALL_FULL_BINDIR}/corppay\"
                              COMMAND_ERROR_IS_FATAL ANY)")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/config/ DESTINATION ${CORPPAY_SAMPLE_DIR})

# The desktop entry, the icon and the AppStream metadata are named after the component id, in
# the reverse-DNS form desktop applications take (the id is also in app/main.cpp); the package,
# the program and its data folder keep the name corppay.
set(CORPPAY_COMPONENT_ID io.github.corppay.corppay)

# The icon: the SVG as drawn, and the usual PNG sizes made from it.
set(icon_files)
foreach(size 16 22 24 32 48 64 128 256)
    set(png ${pkg}/icons/${size}x${size}/${CORPPAY_COMPONENT_ID}.png)
    add_custom_command(OUTPUT ${png}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${pkg}/icons/${size}x${size}
        COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} ${src}/corppay.svg -o ${png}
        DEPENDS ${src}/corppay.svg VERBATIM)
    list(APPEND icon_files ${png})
    install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${src}/corppay.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${CORPPAY_COMPONENT_ID}.svg)

install(FILES ${src}/${CORPPAY_COMPONENT_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(${src}/${CORPPAY_COMPONENT_ID}.metainfo.xml.in
               ${pkg}/${CORPPAY_COMPONENT_ID}.metainfo.xml @ONLY)
install(FILES ${pkg}/${CORPPAY_COMPONENT_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The manual page and the changelog, compressed as Debian keeps them.
set(CPACK_PACKAGE_CONTACT ${CORPPAY_MAINTAINER})
configure_file(${src}/corppay.1.in ${pkg}/corppay.1 @ONLY)
configure_file(${src}/changelog.in ${pkg}/changelog @ONLY)
foreach(doc corppay.1 changelog)
    add_custom_command(OUTPUT ${pkg}/${doc}.gz
        COMMAND ${GZIP} -9 -n -k -f ${pkg}/${doc}
        DEPENDS ${pkg}/${doc} VERBATIM)
endforeach()
add_custom_target(corppay_package_files ALL
    DEPENDS ${icon_files} ${pkg}/corppay.1.gz ${pkg}/changelog.gz)
install(FILES ${pkg}/corppay.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${pkg}/changelog.gz ${src}/copyright
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${src}/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME corppay)

# The driver of the installed-system check and the screenshot (package.sh), loaded into the
# program with LD_PRELOAD; never installed.
add_library(corppay_drive MODULE EXCLUDE_FROM_ALL ${CMAKE_SOURCE_DIR}/tests/app/startdriver.cpp)
target_link_libraries(corppay_drive PRIVATE Qt6::Widgets Qt6::Test)
corppay_target(corppay_drive TESTS)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corppay)
set(CPACK_PACKAGE_VENDOR "星澜聚川银行")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "payment and payroll files for corporate online banking")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [=[
A desktop tool a bank's corporate customers use to prepare payment files
offline, to upload them through the bank's corporate online-banking site:
batch transfer instructions (up to 100 per file) and payroll credits (up
to 1000 per file, keyed in or imported from .xls, .xlsx or .csv sheets),
with the company's accounts, a payee roster and a searchable directory of
bank branches. The interface is Simplified Chinese; it talks to no server.

企业网银批量支付工具：在本机离线准备批量转账指令和工资代发上传文件，
再通过银行的企业网银网站上传。管理企业账号、收款人名册和工资表导入
对应关系，可检索银行网点名录。界面为简体中文，不连接任何服务器。]=])
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from the binary (dpkg-shlibdeps); what it cannot see is recommended: Qt's
# Chinese texts for the standard dialogs and a font with Chinese characters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)
