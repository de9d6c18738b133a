corppay_add_test(batch_test batch/batch_fixture.h batch/entry_test.cpp batch/uploadfile_test.cpp
                 batch/overlong_test.cpp
                 batch/pickers_test.cpp batch/integrity_test.cpp batch/learning_test.cpp LIBS app)
# Spreadsheets written at test time with libxlsxwriter, and the embedded bank directory.
pkg_check_modules(XLSXWRITER_BATCH REQUIRED IMPORTED_TARGET xlsxwriter)
corppay_add_test(batch_sheet_test batch/batch_fixture.h batch/sheetimport_test.cpp
                 LIBS app bankdata_resource sheet_fixtures PkgConfig::XLSXWRITER_BATCH)
