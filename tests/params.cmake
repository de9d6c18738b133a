corppay_add_test(params_test params/params_fixture.h params/load_test.cpp params/rosters_test.cpp
                 params/mapping_test.cpp LIBS app)
