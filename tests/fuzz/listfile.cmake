corppay_add_fuzz(listfile LIBS store)
