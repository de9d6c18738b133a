# The salary sheet import without widgets: reads a payroll sheet through the spreadsheet layer
# and gives the rows for the salary page to append.
add_library(salary_import STATIC ${CMAKE_CURRENT_LIST_DIR}/sheetimport.h
                                 ${CMAKE_CURRENT_LIST_DIR}/sheetimport.cpp)
target_include_directories(salary_import PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(salary_import PUBLIC platform_sheet platform_text payments amount_format Qt6::Core)
corppay_target(salary_import)
