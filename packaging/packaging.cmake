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
