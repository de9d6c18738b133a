corppay_add_test(app_test app/mainwindow_test.cpp LIBS app)
