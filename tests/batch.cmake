corppay_add_test(batch_test batch/batch_fixture.h batch/entry_test.cpp batch/uploadfile_test.cpp
                 batch/pickers_test.cpp batch/integrity_test.cpp batch/learning_test.cpp LIBS app)
