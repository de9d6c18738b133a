corppay_add_fuzz(sheet_xls LIBS platform_sheet)
