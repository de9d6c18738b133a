# The bank directory: packet reader, filter expressions and the generated directory.
corppay_add_test(bank_test dataset/packet_test.cpp dataset/filter_test.cpp LIBS platform_dataset)
corppay_add_test(bankgen_test tools/bankgen_test.cpp LIBS bankgen_lib bankdata_resource)
# The pinyin initials: the generator, the embedded table and the index of a column.
corppay_add_test(initials_test text/initials_test.cpp tools/initialsgen_test.cpp
                 dataset/initialsindex_test.cpp
                 LIBS initialsgen_lib platform_dataset initials_resource bankdata_resource)
target_compile_definitions(initials_test PRIVATE CORPPAY_UNIHAN_READINGS="${UNIHAN_READINGS}")
