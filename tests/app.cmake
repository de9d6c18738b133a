corppay_add_test(app_test app/mainwindow_test.cpp LIBS app)

# Where the configuration lives and the lock on it.
corppay_add_test(configdir_test store/configdir_test.cpp LIBS store)

# The program as started: its own main with a driver that answers its boxes, started from a
# test folder of its own.
add_executable(corppay_driven ${CMAKE_SOURCE_DIR}/app/main.cpp app/startdriver.cpp)
target_link_libraries(corppay_driven PRIVATE app Qt6::Test)
corppay_target(corppay_driven TESTS)
corppay_add_test(startup_test app/startup_test.cpp)
target_include_directories(startup_test PRIVATE ${CMAKE_BINARY_DIR}/generated)
target_compile_definitions(startup_test PRIVATE DRIVEN="$<TARGET_FILE:corppay_driven>")
add_dependencies(startup_test corppay_driven)

# A run killed while keying, 200 times: the recovery file it leaves.
add_executable(keyingchild app/keyingchild.cpp)
target_link_libraries(keyingchild PRIVATE app platform_dialogs)
corppay_target(keyingchild TESTS)
corppay_add_test(recoverykill_test app/recoverykill_test.cpp LIBS app)
target_compile_definitions(recoverykill_test PRIVATE KEYINGCHILD="$<TARGET_FILE:keyingchild>")
add_dependencies(recoverykill_test keyingchild)

# Every window as a screen reader and the keyboard meet it.
corppay_add_test(access_test app/access_test.cpp LIBS app)
