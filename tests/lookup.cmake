corppay_add_test(banksearch_test lookup/banksearch_test.cpp LIBS app bankdata_resource)
