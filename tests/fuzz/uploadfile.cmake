corppay_add_fuzz(uploadfile LIBS batch)
