corppay_add_fuzz(sheet_csv LIBS platform_sheet)
