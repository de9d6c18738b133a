# The spreadsheet layer and the salary sheet import core; .xlsx fixtures are written by the
# tests with libxlsxwriter, .xls ones record by record.
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(LIBZIP_TESTS REQUIRED IMPORTED_TARGET libzip)
add_library(sheet_fixtures STATIC sheet/xlsxfixture.h sheet/xlsxfixture.cpp sheet/xlsfixture.h
                                  sheet/xlsfixture.cpp sheet/formatted.h)
target_include_directories(sheet_fixtures PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(sheet_fixtures PUBLIC platform_text Qt6::Core PkgConfig::XLSXWRITER
                                            PkgConfig::LIBZIP_TESTS)
corppay_target(sheet_fixtures TESTS)

corppay_add_test(sheet_test sheet/sheet_test.cpp LIBS platform_sheet sheet_fixtures)
corppay_add_test(salary_import_test salary/sheetimport_test.cpp
                 LIBS salary_import sheet_fixtures)
