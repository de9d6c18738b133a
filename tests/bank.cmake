# The bank directory: packet reader, filter expressions and the generated directory.
corppay_add_test(bank_test dataset/packet_test.cpp dataset/filter_test.cpp LIBS platform_dataset)
corppay_add_test(bankgen_test tools/bankgen_test.cpp LIBS bankgen_lib bankdata_resource)
