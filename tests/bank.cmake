# The bank directory: packet reader, filter expressions and the generated directory.
corppay_add_test(bank_test dataset/packet_test.cpp dataset/filter_test.cpp LIBS platform_dataset)
