corppay_add_fuzz(record LIBS store)
