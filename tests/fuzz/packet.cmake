corppay_add_fuzz(packet LIBS platform_dataset)
