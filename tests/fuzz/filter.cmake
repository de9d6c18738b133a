corppay_add_fuzz(filter LIBS platform_dataset)
