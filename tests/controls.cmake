corppay_add_test(controls_test controls/numeditnew_test.cpp controls/amountformat_test.cpp
                 controls/capitals_test.cpp
                 LIBS controls)
