corppay_add_test(salary_test salary/salary_fixture.h salary/items_test.cpp salary/entry_test.cpp
                 salary/uploadfile_test.cpp salary/import_test.cpp salary/keyboard_test.cpp salary/recovery_test.cpp LIBS app)
