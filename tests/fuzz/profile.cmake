corppay_add_fuzz(profile LIBS store)
