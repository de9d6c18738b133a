# The report engine: template reader, preparation and layout, output, the preview window.
corppay_add_test(report_test report/report_support.h report/report_support.cpp
                 report/template_test.cpp report/layout_test.cpp report/preview_test.cpp
                 report/pdftext_test.cpp
                 LIBS platform_report
                 platform_dataset)
