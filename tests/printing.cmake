# Printing the detail lists through the main window and the print command.
corppay_add_test(printing_test printing/printing_test.cpp report/report_support.h
                 report/report_support.cpp LIBS app)
